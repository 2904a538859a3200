#include "diagnostics/DiagnosePrinterDlgHosts.h"

#include <algorithm>

#include "diagnostics/AXOLogo.h"
#include "link/HidProducts.h"
#include "link/LinkFlags.h"
#include "platform/forms/Keys.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

namespace {

constexpr int kCloseYields = 101;
constexpr int kLinkCheckNoticeMs = 2000;
// As long as any request asked again waits.
constexpr int kLinkCheckAgainMs = 1500;

}  // namespace

void OpenDiagnosePrinterDlg(shell::MainWindow& mainWindow) {
    auto window = platform::newForm<DiagnosePrinterDlg>(mainWindow);
    window->Show(platform::vbModal, &mainWindow);
}

DiagnosePrinterDlg::DiagnosePrinterDlg(shell::MainWindow& mainWindow)
    : Form("DiagnosePrinterDlg"),
      DiagnosePrinterDlgHostsBase(std::make_unique<InterpreterHost>(*this), std::make_unique<ScanHost>(*this),
                                  std::make_unique<OwnHost>(*this)),
      m_MainComm(mainWindow),
      AXOLogo(*this, "AXOLogo"),
      SerialStatusGroup(*this, "SerialStatusGroup"),
      PrinterOnline(SerialStatusGroup, "PrinterOnline"),
      PrinterOnlineText(SerialStatusGroup, "PrinterOnlineText"),
      ButtonGroup(*this, "ButtonGroup"),
      ReceiptButton(ButtonGroup, "ReceiptButton"),
      PrintFormButton(ButtonGroup, "PrintFormButton"),
      ColorPrintButton(ButtonGroup, "ColorPrintButton"),
      TwoSideButton(ButtonGroup, "TwoSideButton"),
      DownloadLogoButton(ButtonGroup, "DownloadLogoButton"),
      SlipButton(ButtonGroup, "SlipButton"),
      MICRButton(ButtonGroup, "MICRButton"),
      FlipButton(ButtonGroup, "FlipButton"),
      CheckScanButton(ButtonGroup, "CheckScanButton"),
      DrawerButton(ButtonGroup, "DrawerButton"),
      CloseButton(*this, "CloseButton"),
      StatusGroup(*this, "StatusGroup"),
      PaperStatusGroup(StatusGroup, "PaperStatusGroup"),
      PaperStatus(PaperStatusGroup, "PaperStatus", 0, 5),
      PrinterStatusGroup(StatusGroup, "PrinterStatusGroup"),
      SelectedStationLabel(PrinterStatusGroup, "SelectedStationLabel"),
      SelectedStationText(PrinterStatusGroup, "SelectedStationText"),
      PrinterStatus(PrinterStatusGroup, "PrinterStatus", 1, 7),
      ErrorConditionGroup(StatusGroup, "ErrorConditionGroup"),
      ErrorCondition(ErrorConditionGroup, "ErrorCondition", 0, 7),
      KioskStatusGroup(StatusGroup, "KioskStatusGroup"),
      KioskStatus(KioskStatusGroup, "KioskStatus", 0, 6),
      StatusPollTimer(*this, "StatusPollTimer"),
      CommonDlg(*this, "CommonDlg"),
      ScanSession(*scanHost_),
      Interpreter(*interpreterHost_, storedModelIdentifier()) {
    layOut();
    AXOLogo.setPicture(axoLogoPicture());
    ReceiptButton.Click = [this] { ReceiptButton_Click(); };
    PrintFormButton.Click = [this] { PrintFormButton_Click(); };
    ColorPrintButton.Click = [this] { ColorPrintButton_Click(); };
    TwoSideButton.Click = [this] { TwoSideButton_Click(); };
    DownloadLogoButton.Click = [this] { DownloadLogoButton_Click(); };
    SlipButton.Click = [this] { SlipButton_Click(); };
    MICRButton.Click = [this] { MICRButton_Click(); };
    FlipButton.Click = [this] { FlipButton_Click(); };
    CheckScanButton.Click = [this] { CheckScanButton_Click(); };
    DrawerButton.Click = [this] { DrawerButton_Click(); };
    CloseButton.Click = [this] { CloseButton_Click(); };
    StatusPollTimer.Timer = [this] { StatusPollTimer_Timer(); };
    dataSubscription_ = m_MainComm.OnDataReceived.subscribe([this](const platform::Bytes& data) {
        Form::HandlerScope scope(*this);
        m_MainComm_OnDataReceived(data);
    });
    statusSubscription_ = m_MainComm.OnStatusUpdated.subscribe([this](int status) {
        Form::HandlerScope scope(*this);
        m_MainComm_OnStatusUpdated(status);
    });
}

DiagnosePrinterDlg::~DiagnosePrinterDlg() = default;

void DiagnosePrinterDlg::Form_Initialize() {
    setCaption(kCaption);
    m_strWindowCaption = Caption();
}

void DiagnosePrinterDlg::Form_Load() {
    // This window reads USB HID replies as data. The configuration and tally
    // windows mark reads as their own status polls and leave the mark set
    // when closed by the close box; the link would then swallow every
    // reply of this window's poll.
    m_MainComm.m_AHPIBufferCmd = false;
    const shell::PrinterLine line = shell::ReadPrinterLine();
    m_PortNo = line.portName;
    PrinterOnline.setCaption(line.caption);

    if (m_MainComm.m_AnyHID == printerlink::kAnyHidProduct || printerlink::bRestartSentOnLink)
        InitStatusListsByModel();
    else
        InitStatusListsByType();
    Printer.InitializePrinter();
    Printer.SendGsUs0();
    StatusPollTimer.setInterval(kPollIntervalMs);
    m_MainComm_OnStatusUpdated(platform::comm::EvDSR);
    if (m_MainComm.PrinterType() == kM27xType) {
        ColorPrintButton.setEnabled(false);
        DrawerButton.setEnabled(false);
    }
    if (m_MainComm.b2stFlag) TwoSideButton.setEnabled(true);
}

// Keys "1" and "2" act even while their buttons are disabled; the others
// only while theirs are enabled.
void DiagnosePrinterDlg::Form_KeyPress(int& KeyAscii) {
    struct Shortcut {
        int key;
        platform::CommandButton* button;
        void (DiagnosePrinterDlg::*handler)();
        bool always;
    };
    const Shortcut shortcuts[] = {
        {'0', &CloseButton, &DiagnosePrinterDlg::CloseButton_Click, true},
        {'1', &ReceiptButton, &DiagnosePrinterDlg::ReceiptButton_Click, true},
        {'2', &PrintFormButton, &DiagnosePrinterDlg::PrintFormButton_Click, true},
        {'3', &ColorPrintButton, &DiagnosePrinterDlg::ColorPrintButton_Click, false},
        {'4', &TwoSideButton, &DiagnosePrinterDlg::TwoSideButton_Click, false},
        {'5', &DownloadLogoButton, &DiagnosePrinterDlg::DownloadLogoButton_Click, false},
        {'6', &SlipButton, &DiagnosePrinterDlg::SlipButton_Click, false},
        {'7', &MICRButton, &DiagnosePrinterDlg::MICRButton_Click, false},
        {'8', &FlipButton, &DiagnosePrinterDlg::FlipButton_Click, false},
        {'9', &CheckScanButton, &DiagnosePrinterDlg::CheckScanButton_Click, false},
    };
    for (const Shortcut& s : shortcuts) {
        if (KeyAscii != s.key) continue;
        if (s.always || s.button->Enabled()) (this->*s.handler)();
        return;
    }
}

void DiagnosePrinterDlg::Form_KeyDown(int& KeyCode, int Shift) {
    if (KeyCode == platform::vbKeyF1 && Shift == 0 && DrawerButton.Enabled()) DrawerButton_Click();
}

// The test that waits ends at once: its requests are dropped at the door,
// whose waits end, and no box, print or request follows for it while the
// window yields before it goes.
void DiagnosePrinterDlg::CloseButton_Click() {
    closing_ = true;
    doorPass_.leave();
    StatusPollTimer.setEnabled(false);
    for (int i = 0; i < kCloseYields; ++i) platform::DoEvents();
    StatusPollTimer.setInterval(0);
    platform::Unload(*this);
}

// A scan still running ends with the window, and with it its hold on the
// link's reply watchdog. A status request still waiting for its answer (a
// test that went no further, a printer that never answered) is let go:
// left up, it would take the next serial input, the main window's
// connection check or the next window's.
void DiagnosePrinterDlg::Form_Unload(int& /*Cancel*/) {
    ScanSession.setScanning(false);
    printerlink::statusHandshake.bDiagStatusRequested = false;
    doorPass_.leave();
    // Also after Close, which stops every other send.
    putPrinterBack([this] { Printer.SendGsUs0(); });
}

void DiagnosePrinterDlg::Form_Terminate() {
    dataSubscription_.reset();
    statusSubscription_.reset();
}

// Its answer has the form of a poll's reply: it goes out once nothing of
// that form is owed, with the poll resting so that it gets its turn.
bool DiagnosePrinterDlg::RequestRealTimeStatus() {
    bool asked = false;
    withoutStatusPoll([&] {
        asked = shell::RequestRealTimeStatus(m_MainComm, statusHandshake(), doorPass_, [this] { return !windowOpen(); });
    });
    return asked;
}

shell::SerialLinkCheck linkCheck() {
    return {"Checking the printer is connected or not...", kLinkCheckNoticeMs, [] {
                printerlink::bLinkLost = true;
                printerlink::bAutoReconnect = false;
            }};
}

shell::RealTimeStatusHandshake statusHandshake() {
    return {printerlink::statusHandshake.bDiagStatusRequested, printerlink::statusHandshake.bDiagStatusAnswered};
}

// Waited for while events are served: an answer still on its way from a
// printer that answers late must not be missed.
bool DiagnosePrinterDlg::serialAnswerAwaited() {
    if (!closing_) shell::AwaitRealTimeStatusAnswer(statusHandshake(), *this);
    return serialAnswerTaken();
}

bool DiagnosePrinterDlg::serialLinkAnswered() {
    shell::ShowLinkCheckNotice(linkCheck());
    return serialAnswerTaken();
}

// A reply lost on the line is no lost link: the check is asked once more,
// for as long as a printer that answers at all takes. One that answers late
// answered the first ask within its wait; a silent one costs this short wait
// alone. Not when a reply of the form is missing already (a poll the check
// had to wait for, given up): with the check's own that is two in a row, and
// the technician has waited out that poll's give-up too. Asked again, it
// gives up the one before it: owed, that one would hold it back until its
// give-up.
bool DiagnosePrinterDlg::serialAnswerTaken() {
    printerlink::RequestDoor& door = doorPass_.door();
    if (windowOpen() && !statusHandshake().answered && door.marked(printerlink::ReplyForm::Status) == 0) {
        door.giveUpAsked(doorPass_.owner(), printerlink::kRealTimeStatus);
        if (RequestRealTimeStatus()) shell::AwaitRealTimeStatusAnswer(statusHandshake(), *this, kLinkCheckAgainMs);
    }
    if (!windowOpen()) return false;
    return shell::TakeAnswerOrExit(m_MainComm, *this, statusHandshake(), linkCheck());
}

// A test pressed while another one waits (its buttons stay live) runs once
// that one has ended, pressed twice it runs once more: run inside the other's
// wait, its replies would be taken by that wait (a TCP wait takes every byte
// that comes) and its own wait would take the other's.
// A check scan's blocks arrive after its procedure has returned: a test
// pressed meanwhile waits for the scan's end as for any test's, or its
// link check's answer and its own reads would break into the image. A press
// that comes while a poll's send yields waits for the send: the door cannot
// give the test its turn before that send has returned.
void DiagnosePrinterDlg::dispatch(void (DiagnosePrinterDlg::*direct)(), void (DiagnosePrinterDlg::*serial)()) {
    const PressedTest pressed{direct, serial};
    if (std::find(pressedDuringTest_.begin(), pressedDuringTest_.end(), pressed) == pressedDuringTest_.end())
        pressedDuringTest_.push_back(pressed);
    if (testRunning_ || scanReceiving()) return;
    if (doorPass_.door().sendUnderWay())
        runPressedTestsLater();
    else
        runPressedTests();
}

bool DiagnosePrinterDlg::confirmed(bool yes) {
    if (!yes) std::erase(pressedDuringTest_, currentTest_);
    return yes;
}

void DiagnosePrinterDlg::runPressedTests() {
    struct Running {
        DiagnosePrinterDlg& window;
        ~Running() {
            window.testRunning_ = false;
            // Those pressed during a scan that one of them started run when
            // it has ended.
            if (!window.windowOpen() || !window.scanReceiving()) window.pressedDuringTest_.clear();
        }
    } running{*this};
    testRunning_ = true;
    while (!pressedDuringTest_.empty() && windowOpen() && !scanReceiving()) {
        const PressedTest next = pressedDuringTest_.front();
        pressedDuringTest_.pop_front();
        runTest(next);
    }
}

bool DiagnosePrinterDlg::scanReceiving() const { return ScanSession.m_bScanning && ScanSession.m_iScanPhase > 0; }

// Posted: a scan ends inside the reply interpreter, or inside the status
// timer's read on USB HID, which must be free to serve the tests; a poll's
// send returns only after the handler that took the press. A poll still
// sending when the post runs posts again when its timer handler ends.
void DiagnosePrinterDlg::runPressedTestsLater() {
    if (pressedDuringTest_.empty()) return;
    platform::EventLoop::current().post(life_.wrap([this] {
        if (windowOpen() && !testRunning_ && !scanReceiving() && !doorPass_.door().sendUnderWay()) runPressedTests();
    }));
}

void DiagnosePrinterDlg::runTest(const PressedTest& test) {
    const auto [direct, serial] = test;
    currentTest_ = test;
    const bool sent = clickSends_.run([&] {
        if (!shell::IsDirectLink(m_MainComm, m_PortNo)) {
            // Only an answer to this click's request shows the printer is
            // there: one left unread by an earlier test (the slip print
            // checks none) proves nothing, and the request lets go of it.
            // Asked once per click: the serial procedures test its answer.
            if (RequestRealTimeStatus()) (this->*serial)();
        } else {
            (this->*direct)();
        }
    });
    if (!sent) showOffline();
}

// As the link's time-out shows it, until a status event finds the printer
// online again.
void DiagnosePrinterDlg::showOffline() {
    if (!windowOpen()) return;
    PrinterOnlineText.setText("Offline");
    arrangeStatusGroups(false);
}

void DiagnosePrinterDlg::arrangeStatusGroups(bool online) {
    if (m_MainComm.m_AnyHID == printerlink::kAnyHidProduct)
        ArrangeStatusGroupsByModel(online);
    else
        ArrangeStatusGroupsByType(online);
}

void DiagnosePrinterDlg::ReceiptButton_Click() {
    dispatch(&DiagnosePrinterDlg::PrintReceiptTestLan, &DiagnosePrinterDlg::PrintReceiptTestSerial);
}

void DiagnosePrinterDlg::PrintFormButton_Click() {
    dispatch(&DiagnosePrinterDlg::PrintDiagFormTest, &DiagnosePrinterDlg::PrintDiagFormTestSerial);
}

void DiagnosePrinterDlg::ColorPrintButton_Click() {
    dispatch(&DiagnosePrinterDlg::PrintTwoColorTestLan, &DiagnosePrinterDlg::PrintTwoColorTestSerial);
}

void DiagnosePrinterDlg::TwoSideButton_Click() {
    dispatch(&DiagnosePrinterDlg::PrintTwoSidedTestLan, &DiagnosePrinterDlg::PrintTwoSidedTestSerial);
}

void DiagnosePrinterDlg::DrawerButton_Click() {
    dispatch(&DiagnosePrinterDlg::OpenCashDrawerLan, &DiagnosePrinterDlg::OpenCashDrawerSerial);
}

}  // namespace diagnostics
