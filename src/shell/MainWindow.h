// The main window: the application's only top-level window and, through its
// base PrinterLink, the printer link every other window talks through.
// Six function buttons: Exit, Connect, Disconnect, Diagnose, Change
// Configuration and View Tally.
//
// Ownership: one per run, made by Main with platform::newForm on transports
// the program owns (they must outlive the window); objMainWindow points at
// it while it lives. The work windows that the last three buttons open come
// from later subsystems through the WorkWindows hooks.
//
// What may block and nest: every button runs modal windows (the connection
// dialog, message boxes, notices, work windows) and yields to the event loop
// 10000 times afterwards, so link events, timers and other handlers run in
// the middle of FunctionButton_Click; the link's flags are the only
// coordination. While a work window's hook runs (the window opening, open or
// closing) a click on any button is dropped. Closing the window asks first;
// OK ends the program at once.
#pragma once

#include <functional>
#include <string>

#include "link/PrinterLink.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Form.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Label.h"
#include "platform/forms/PictureBox.h"
#include "shell/ShellServices.h"

namespace shell {

namespace detail {
// Constructed before the link half, which keeps references to the services.
struct MainWindowServices {
    ShellServices shellServices_;
};
}  // namespace detail

class MainWindow : private detail::MainWindowServices, public platform::Form, public printerlink::PrinterLink {
public:
    explicit MainWindow(const printerlink::LinkTransports& transports,
                        platform::EventLoop& loop = platform::EventLoop::current());
    ~MainWindow() override;

    // The windows the Diagnose, Change Configuration and View Tally buttons
    // open modally, owned by the main window. changeConfiguration gives the
    // configuration window's WantDisconnect. Unset hooks open nothing.
    struct WorkWindows {
        std::function<void(MainWindow&)> diagnose;
        std::function<bool(MainWindow&)> changeConfiguration;
        std::function<void(MainWindow&)> viewTally;
    } workWindows;

    void FunctionButton_Click(int Index);
    void ShowConnectionError(const std::string& context);
    void UpdateButtonsForConnection();
    void SetDisconnectedButtons();
    void OpenChangeConfiguration(bool& wantDisconnect);
    void OpenViewTally();

    // The link half's own state that the shell and its tests look at.
    using PrinterLink::LastError;
    using PrinterLink::LastErrorDesc;
    using PrinterLink::m_bConnectionCheckPassed;

    platform::PictureBox AXOLogo;
    platform::Label VersionText;
    platform::Frame MainFunctionsGroup;
    platform::ControlArray<platform::CommandButton> FunctionButton;
    platform::ControlArray<platform::Label> FunctionDescription;

    static constexpr const char* kExitQuestion = "Exit 36xx POS Printer Diagnostic Utility.";

protected:
    void Form_Initialize() override;
    void Form_Load() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Form_Terminate() override {}
    void Form_KeyPress(int& /*KeyAscii*/) override {}

private:
    void layOut();
    void ConnectButton(int& focusIndex);
    void DisconnectButton(int& focusIndex);
    void ChangeConfigurationButton(int& focusIndex);
    void ViewTallyButton();
    void ShowNotOnlineMessage();
    void CheckAfterButton(int focusIndex);
    // A link found down: the disconnected buttons, Connect focused. True then.
    bool offerConnectIfDown();
    void setButtonEnabled(int index, bool enabled);
    bool serialOrTcpOrHidUp() const;
    // Runs a work window's hook: the window opens, lives and closes in it.
    // No button acts meanwhile, and a lost-link exit of the window is noted
    // for the check after the button.
    void runWorkWindow(const std::function<void()>& hook);

    bool closingFromExitButton_ = false;
    bool workWindowOpen_ = false;
    // The last work window took its lost-link exit.
    bool connectAskedByWindow_ = false;
    // Counts the checks after a button, so that one whose yields a later
    // button's check ran inside gives way to it.
    unsigned afterButtonChecks_ = 0;
};

}  // namespace shell
