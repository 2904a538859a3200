// The application's own facts and a few desktop services: its folder, title,
// version, the single-instance lock, the message beep, the window alert, the
// platform's own message box and local time. One Application object exists per process (or per test); the
// utility reaches it through app(). Nothing here blocks.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

class Clock;

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Application {
public:
    Application();
    virtual ~Application();

    // The folder that holds the executable (no trailing slash). Tests point it
    // at a scratch folder.
    const std::string& path() const { return path_; }
    void setPath(std::string folder) { path_ = std::move(folder); }

    const std::string& title() const { return title_; }
    void setTitle(std::string t) { title_ = std::move(t); }

    int major() const;
    int minor() const;
    int revision() const;

    // True when another process holds the instance lock of this application
    // folder. The first call takes the lock (flock on a file in the runtime
    // folder) and keeps it until the Application object is destroyed.
    bool previousInstance();

    // MessageBeep with the icon style (0, 16, 32, 48, 64). The hook lets the
    // front end play a sound and tests record the beeps.
    void messageBeep(int style);
    std::function<void(int style)> beepHook;
    // Window alert (flash the task bar entry); the front end supplies it.
    std::function<void()> alertHook;
    void flashWindow() { if (alertHook) alertHook(); }
    // The platform's own message box (text, icon style 0, 16 or 64, caption)
    // with an OK button, for the few messages that do not go through the
    // utility's box; blocks until it is closed. The front end supplies it,
    // tests record the messages; without a hook nothing is shown.
    std::function<void(const std::string& text, int iconStyle, const std::string& caption)> plainMessageHook;
    void plainMessage(const std::string& text, int iconStyle, const std::string& caption) {
        if (plainMessageHook) plainMessageHook(text, iconStyle, caption);
    }

    // Local wall-clock time. Taken from the clock when one is set (virtual
    // time in tests starts at a fixed date), else from the system.
    LocalTime localTime() const;
    void setClock(Clock* clock) { clock_ = clock; }

private:
    std::string path_;
    std::string title_ = "AXO36xxDiag";
    int lockFd_ = -1;
    Clock* clock_ = nullptr;
};

// The current application object; created on first use.
Application& app();

}  // namespace platform
