// gui::Application: the program's front end in one object. It owns the
// QApplication (or uses the one the process has), a real clock and the
// program's event loop with the Qt backend (made current), the renderer
// that shows every form as the model shows it, Qt's font metrics for
// AutoSize, and the desktop hooks of platform::app() (message beep, window
// alert). One per process; everything is undone when it is destroyed.
//
// run() is the program's main loop: it blocks, serving the utility's
// events and Qt's on the one loop, until quit() or until no form is loaded
// any more. Handlers run inside it and may nest (modal windows, DoEvents).
//
// A program's main function:
//     gui::Application ui(argc, argv);
//     if (platform::app().previousInstance()) {
//         gui::showPlainMessage(platform::app().title(), "Application is already running", true);
//         return 0;
//     }
//     auto main = platform::newForm<TheMainWindow>(...);
//     main->Show();
//     ui.run();
#pragma once

#include <memory>

namespace platform {
class Clock;
class EventLoop;
}  // namespace platform

namespace gui {

class Application {
public:
    // argc must outlive the object (Qt keeps a reference to it).
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    platform::EventLoop& loop();
    platform::Clock& clock();

    // Returns at once when no form is loaded.
    void run();
    void quit();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace gui
