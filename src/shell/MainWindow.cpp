#include "shell/MainWindow.h"

#include <filesystem>
#include <utility>

#include "link/LinkFlags.h"
#include "link/StatusHandshake.h"
#include "platform/Application.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/ModalMessageBox.h"
#include "shell/ModelessMsgBox.h"
#include "shell/ShellPictures.h"
#include "shell/TypeDefinition.h"

namespace shell {

namespace {

using namespace printerlink;

constexpr int kExit = 0, kConnect = 1, kDisconnect = 2, kDiagnose = 3, kChangeConfiguration = 4, kViewTally = 5;
constexpr int kAfterButtonYields = 10000;
constexpr int kConnectionNoticeMs = 800;
constexpr const char* kSection = "Configurations";

bool isSerialConnectionType(const std::string& connType) {
    return connType != platform::str(kLanPortNumber) && connType != platform::str(kAhpiPortNumber);
}

// Layout, in twips.
constexpr int kMargin = 120;
constexpr int kBannerHeight = 840;
constexpr int kButtonLeft = 240;
constexpr int kButtonWidth = 2655;
constexpr int kButtonHeight = 495;
constexpr int kRowTop = 360;
constexpr int kRowStep = 630;
constexpr int kDescriptionLeft = kButtonLeft + kButtonWidth + 240;
constexpr int kDescriptionWidth = 4320;
constexpr int kGroupWidth = kDescriptionLeft + kDescriptionWidth + 120;
constexpr int kGroupHeight = kRowTop + 5 * kRowStep + kButtonHeight + 240;

}  // namespace

MainWindow::MainWindow(const printerlink::LinkTransports& transports, platform::EventLoop& loop)
    : Form("MainWindow"),
      PrinterLink(transports, printerlink::LinkShellServices{shellServices_, shellServices_, shellServices_}, loop),
      AXOLogo(*this, "AXOLogo"),
      VersionText(*this, "VersionText"),
      MainFunctionsGroup(*this, "MainFunctionsGroup"),
      FunctionButton(MainFunctionsGroup, "FunctionButton", 0, 5),
      FunctionDescription(MainFunctionsGroup, "FunctionDescription", 0, 5) {
    shellServices_.attach(*this, *this);
    layOut();
    FunctionButton.Click = [this](int Index) { FunctionButton_Click(Index); };
}

MainWindow::~MainWindow() {
    if (objMainWindow == this) objMainWindow = nullptr;
}

void MainWindow::layOut() {
    setBorderStyle(platform::vbFixedSingle);
    setStartUpPosition(platform::vbStartUpScreen);
    for (platform::Control* c : controls()) c->setFontSize(9);

    AXOLogo.setBorderStyle(0);
    AXOLogo.setTabStop(false);
    AXOLogo.setAutoSize(true);
    AXOLogo.setPicture(makerLogo());
    AXOLogo.Move(kMargin + 120, (kBannerHeight - AXOLogo.Height()) / 2 + 60);

    VersionText.setCaption("Version 2.00.00");
    VersionText.setAlignment(platform::vbRightJustify);
    VersionText.Move(kMargin + kGroupWidth - 2400, kBannerHeight - 300, 2400, 255);

    MainFunctionsGroup.setCaption("Main Functions");
    MainFunctionsGroup.Move(kMargin, kBannerHeight + 60, kGroupWidth, kGroupHeight);

    const char* captions[] = {"Exit Utility (&X)",          "Connect (&C)...",
                              "Disconnect (&D)",            "Diagnose POS Printer (&P)...",
                              "Change Configuration (&N)...", "View Tally (&V)..."};
    const char* descriptions[] = {"Exit AXO 36xx Printer Diagnostic Utility.",
                                  "Open Serial Port and Connect POS Printer.",
                                  "Disconnect POS Printer and Close Serial Port",
                                  "Diagnose POS Printer and Check Printer Status.",
                                  "Change Configuration of POS Printer",
                                  "View Tallies and IDs of POS Printer."};
    // Connect first, Exit last on screen and in tab order.
    const int rowOf[] = {5, 0, 1, 2, 3, 4};
    platform::Control* order[6] = {};
    for (int i = 0; i <= 5; ++i) {
        const int top = kRowTop + rowOf[i] * kRowStep;
        FunctionButton(i).setCaption(captions[i]);
        FunctionButton(i).Move(kButtonLeft, top, kButtonWidth, kButtonHeight);
        FunctionDescription(i).setCaption(descriptions[i]);
        FunctionDescription(i).Move(kDescriptionLeft, top + 135, kDescriptionWidth, 255);
        order[rowOf[i]] = &FunctionButton(i);
    }
    for (int row = 0; row <= 5; ++row) order[row]->setTabIndex(row);

    setClientSize(kMargin + kGroupWidth + kMargin, kBannerHeight + 60 + kGroupHeight + kMargin);
}

void MainWindow::Form_Initialize() {
    m_iPortNumber = -1;
    m_lPrinterType = -1;
    m_lPaperWidth = -1;
    LastError = 0;
    LastErrorDesc.clear();
}

void MainWindow::Form_Load() {
    UpdateButtonsForConnection();
    const platform::Application& app = platform::app();
    setCaption(app.title());
    VersionText.setCaption("Version " + platform::str(app.major()) + "." + platform::str(app.minor()) + "." +
                           platform::str(app.revision()));
    bLanAnswersGsEot = false;
    bLanAnswersEscV = false;
    m_lngHIDHandle = -1;
    m_AHPIBufferCmd = false;
    m_bAwaitingFirmware = false;
    m_FWVersion48ColSupport = false;
}

void MainWindow::Form_QueryUnload(int& Cancel, int /*UnloadMode*/) {
    // The close box, like the buttons, waits while a work window opens: the
    // program would end under it.
    if (workWindowOpen_) {
        Cancel = 1;
        return;
    }
    if (ShowMessage(kExitQuestion, vbOKCancel, vbInformation) == vbCancel) {
        Cancel = 1;
        bEnd = true;
        return;
    }
    if (closingFromExitButton_) {
        std::error_code ignored;
        std::filesystem::remove(SettingsFilePath(), ignored);
    }
    EndProgram();
}

void MainWindow::FunctionButton_Click(int Index) {
    // A work window's opening may serve events before the window is modal
    // on screen (its first read waits), and the buttons are live then. A
    // second work window opened there would run inside the first, and
    // Connect, Disconnect or Exit would pull the link from under it. The
    // click is dropped, not kept: run later, it would act on whatever the
    // window left.
    if (workWindowOpen_) return;
    int focusIndex = Index;
    switch (Index) {
        case kExit:
            closingFromExitButton_ = true;
            unload(platform::vbFormCode);
            closingFromExitButton_ = false;
            if (bEnd) bEnd = false;
            return;
        case kConnect: ConnectButton(focusIndex); break;
        case kDisconnect: DisconnectButton(focusIndex); break;
        case kDiagnose:
            if (IsPrinterOnline()) {
                if (workWindows.diagnose) runWorkWindow([this] { workWindows.diagnose(*this); });
            } else {
                ShowNotOnlineMessage();
            }
            break;
        case kChangeConfiguration: ChangeConfigurationButton(focusIndex); break;
        case kViewTally:
            // On serial its connection notice serves events before the
            // window opens: the guard holds from the click.
            {
                struct Guard {
                    bool& open;
                    bool before = std::exchange(open, true);
                    ~Guard() { open = before; }
                } guard{workWindowOpen_};
                ViewTallyButton();
            }
            break;
        default: return;
    }
    CheckAfterButton(focusIndex);
}

void MainWindow::ConnectButton(int& focusIndex) {
    bPrinterRestarted = false;
    reconnect = false;
    bConnectButton = false;
    m_iRetry = 0;
    m_bValidationSend = true;
    // What a TCP printer answered after an earlier connect says nothing about
    // the printer connected now, and must not change how it is polled. The
    // silence a printer restart asked of the reply watchdog ends here too, or
    // a printer that stops answering would never be reported for the rest of
    // the run; and a TCP restart whose send never completed (the settings
    // file said TCP on another link) must not reconnect the new link through
    // a second dialog. The mark of a restart sent on the earlier link goes
    // too: left set, the diagnostics window would read a TCP printer's ESC v replies as
    // a USB HID report header and never show its paper or door status, and
    // the configuration window would offer Apply with nothing ticked.
    bLanAnswersGsEot = false;
    bLanAnswersEscV = false;
    bSuppressLanTimeout = false;
    bLanRestartPending = false;
    bRestartSentOnLink = false;

    if (ConnectPrinter()) {
        if (m_bEthernet) {
            const auto type = static_cast<std::size_t>(m_lPrinterType);
            const auto paper = static_cast<std::size_t>(m_lPaperWidth);
            const std::string model = type < PrinterModelList.size() ? PrinterModelList[type] : "";
            const std::string width = paper < PaperWidthList.size() ? PaperWidthList[paper] : "";
            setCaption(platform::app().title() + " - " + model + "(" + width + ")" + " on LAN");
            ProbeLanPrinterStatus();
        }
        focusIndex = kDisconnect;
        m_bConnectionCheckPassed = true;
        setButtonEnabled(kConnect, false);
        bVerifySerialLink = true;
        RequestConnectionCheckStatus();
        return;
    }
    // Choosing Cancel is no connection error: nothing to report, but Connect
    // must stay available. A dialog whose OK could not write the settings
    // file closes unconfirmed too, and its error is reported below.
    if (bConnectDialogCancelled && LastError == 0) {
        bConnectButton = true;
        return;
    }
    if (m_bEthernet) {
        if (LastError == 0) {
            LastError = 1;
            LastErrorDesc = "Opening LAN connection";
        }
        ShowConnectionError("Opening LAN connection");
    } else if (m_bAHPI) {
        if (LastError == 0) LastError = 1;
        ShowConnectionError("Opening AHPI connection");
    } else {
        ShowConnectionError("Opening Serial Port");
    }
}

void MainWindow::DisconnectButton(int& focusIndex) {
    bConnectButton = true;
    breconnect = true;
    bVerifySerialLink = false;
    bAutoReconnect = false;
    reconnect = false;
    m_CheckingConfiguration = false;
    if (DisconnectPrinter()) {
        setCaption(platform::app().title());
        focusIndex = kConnect;
        bAutoReconnect = false;
    } else {
        ShowConnectionError("Closing Serial Port");
    }
}

void MainWindow::ChangeConfigurationButton(int& focusIndex) {
    if (!IsPrinterOnline()) {
        ShowNotOnlineMessage();
        return;
    }
    bool wantDisconnect = false;
    OpenChangeConfiguration(wantDisconnect);
    if (wantDisconnect) {
        FunctionButton_Click(kDisconnect);
        focusIndex = kConnect;
    }
}

void MainWindow::ViewTallyButton() {
    statusHandshake.m_Flag = true;
    m_bConnectionCheckPassed = false;
    m_CheckingConfiguration = false;
    const std::string connType = ReadIniValue(SettingsFilePath(), kSection, "ConnectionType");
    RequestConnectionCheckStatus();
    if (isSerialConnectionType(connType) && m_lngHIDHandle < 1)
        ShowTimedNotice("Checking the printer connection....", kConnectionNoticeMs);
    if (isSerialConnectionType(connType) && !m_bConnectionCheckPassed) {
        ShowMessage("Printer configuration has changed,Go back to Main window and reconnect with correct "
                    "configurations",
                    vbOKOnly, vbNoIcon);
        bConnectButton = true;
        bAutoReconnect = true;
        bVerifySerialLink = false;
    } else if (IsPrinterOnline()) {
        OpenViewTally();
    } else {
        ShowNotOnlineMessage();
    }
}

void MainWindow::ShowNotOnlineMessage() {
    ShowMessage("The printer on COM" + platform::str(PortNumber()) + " is not online." +
                    "\r\nPlease check printer cable and power.",
                vbOKOnly, vbNoIcon);
}

// After every button but Exit: let the printer's replies arrive, then close
// a serial link whose printer did not answer the connection check.
void MainWindow::CheckAfterButton(int focusIndex) {
    // The buttons stay live while this yields. A button clicked meanwhile
    // runs inside these yields and ends with a check of its own, made on
    // what happened since: this one has nothing left to do. Yielding on
    // would only defer the rest of its yields until that button is done, so
    // a user going back and forth between the main window and a work window
    // would pile up a nested click and half a second of yields per round.
    const unsigned check = ++afterButtonChecks_;
    // A link that went down during the button (a TCP printer switched off
    // while a work window was open) leaves Connect as the one way on. It is
    // offered now: the user's next key comes during these yields, and a
    // Connect still disabled would swallow it. So is it after a work
    // window's lost-link exit: on serial the port stays open, and the
    // check below would offer Connect only after the yields.
    const bool connectAsked = std::exchange(connectAskedByWindow_, false);
    if (offerConnectIfDown()) {
        focusIndex = kConnect;
    } else if (connectAsked) {
        setButtonEnabled(kConnect, true);
        FunctionButton(kConnect).SetFocus();
        focusIndex = kConnect;
    }
    for (int i = 0; i < kAfterButtonYields; ++i) {
        if (afterButtonChecks_ != check) return;
        platform::DoEvents();
    }
    if (afterButtonChecks_ != check) return;
    // A settings file that cannot be read counts as a serial connection; its
    // fault was reported by the operation that needed the file, and a second
    // box after every button would tell the user nothing new.
    std::string connType;
    try {
        connType = readIniValueOrThrow(SettingsFilePath(), kSection, "ConnectionType");
    } catch (const platform::RuntimeError&) {
    }
    if (isSerialConnectionType(connType) && !m_CheckingConfiguration) {
        bConnectButton = false;
        if (bVerifySerialLink) {
            bVerifySerialLink = false;
            ShowMessage("Printer is not connected,Verify the communication parameters", vbOKOnly, vbInformation);
        }
        if (MSCommCtrl.PortOpen()) MSCommCtrl.setPortOpen(false);
        SetDisconnectedButtons();
        setButtonEnabled(kConnect, true);
    } else {
        UpdateButtonsForConnection();
        setButtonEnabled(kConnect, bConnectButton);
    }
    // Whatever took the link down since (a TCP printer that went away
    // during the yields, a port closed above), likewise.
    if (offerConnectIfDown()) focusIndex = kConnect;
    if (FunctionButton(focusIndex).Enabled()) FunctionButton(focusIndex).SetFocus();
    if (m_CheckingConfiguration) RequestFirmwareVersion();
}

// The user must be able to connect again, and the caption must not name a
// printer that is no longer there.
bool MainWindow::offerConnectIfDown() {
    if (serialOrTcpOrHidUp()) return false;
    SetDisconnectedButtons();
    setCaption(platform::app().title());
    FunctionButton(kConnect).SetFocus();
    return true;
}

void MainWindow::ShowConnectionError(const std::string& context) {
    bConnectButton = true;
    if (LastError == 0) return;
    std::string text = "An error occured in " + context + "\r\n\r\n    Reason = " + LastErrorDesc +
                       "\r\n    Error Code = " + platform::str(LastError);
    if (AHPIStatus() == "True") text = "An error occurred in Connection";
    ShowMessage(text, vbOKOnly, vbInformation);
}

bool MainWindow::serialOrTcpOrHidUp() const {
    return MSCommCtrl.PortOpen() || Winsock.State() == platform::sck::Connected || m_lngHIDHandle > 0;
}

void MainWindow::UpdateButtonsForConnection() {
    const bool up = serialOrTcpOrHidUp();
    setButtonEnabled(kConnect, !up);
    for (int i = kDisconnect; i <= kViewTally; ++i) setButtonEnabled(i, up);
}

void MainWindow::SetDisconnectedButtons() {
    setButtonEnabled(kConnect, true);
    for (int i = kDisconnect; i <= kViewTally; ++i) setButtonEnabled(i, false);
}

void MainWindow::setButtonEnabled(int index, bool enabled) {
    FunctionButton(index).setEnabled(enabled);
    FunctionDescription(index).setEnabled(enabled);
}

void MainWindow::OpenChangeConfiguration(bool& wantDisconnect) {
    const bool up = MSCommCtrl.PortOpen() || Winsock.State() == platform::sck::Connected ||
                    AHPIStatus() == "True" || bRestartPending;
    if (!up) return;
    if (workWindows.changeConfiguration)
        runWorkWindow([&] { wantDisconnect = workWindows.changeConfiguration(*this); });
}

void MainWindow::OpenViewTally() {
    if (!serialOrTcpOrHidUp()) return;
    FunctionButton(kViewTally).setEnabled(false);
    if (workWindows.viewTally) runWorkWindow([this] { workWindows.viewTally(*this); });
    FunctionButton(kViewTally).setEnabled(true);
}

// The lost-link exit asks for Connect through bConnectButton, which may be
// up already (a cancelled Connect): cleared for the window, it tells
// whether this window asked; put back whatever the window did.
void MainWindow::runWorkWindow(const std::function<void()>& hook) {
    struct Open {
        MainWindow& w;
        bool offered;
        ~Open() {
            w.workWindowOpen_ = false;
            w.connectAskedByWindow_ = w.bConnectButton;
            w.bConnectButton = w.bConnectButton || offered;
        }
    } open{*this, std::exchange(bConnectButton, false)};
    workWindowOpen_ = true;
    hook();
}

}  // namespace shell
