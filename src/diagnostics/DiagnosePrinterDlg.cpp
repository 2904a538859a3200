#include "diagnostics/DiagnosePrinterDlgHosts.h"

#include <algorithm>

#include "diagnostics/AXOLogo.h"
#include "link/HidProducts.h"
#include "link/LinkFlags.h"
#include "link/SerialReplyPolls.h"
#include "platform/forms/Keys.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

namespace {

constexpr int kCloseYields = 101;
constexpr int kLinkCheckNoticeMs = 2000;
// The link checks without a notice wait as long for the printer's answer.
constexpr int kAnswerRounds = 40, kAnswerSleepMs = 50;
constexpr int kMicrPendingSleepMs = 20;

}  // namespace

void OpenDiagnosePrinterDlg(shell::MainWindow& mainWindow) {
    auto window = platform::newForm<DiagnosePrinterDlg>(mainWindow);
    window->Show(platform::vbModal, &mainWindow);
}

DiagnosePrinterDlg::DiagnosePrinterDlg(shell::MainWindow& mainWindow)
    : Form("DiagnosePrinterDlg"),
      DiagnosePrinterDlgHostsBase(std::make_unique<InterpreterHost>(*this), std::make_unique<ScanHost>(*this)),
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

platform::Micros DiagnosePrinterDlg::now() { return platform::EventLoop::current().clock().now(); }

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

void DiagnosePrinterDlg::CloseButton_Click() {
    for (int i = 0; i < kCloseYields; ++i) platform::DoEvents();
    StatusPollTimer.setEnabled(false);
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
    Printer.SendGsUs0();
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
        asked = shell::RequestRealTimeStatus(m_MainComm, statusHandshake(), doorPass_, [this] { return !isLoaded(); });
    });
    return asked;
}

shell::SerialLinkCheck DiagnosePrinterDlg::linkCheck() {
    return {"Checking the printer is connected or not...", kLinkCheckNoticeMs, [] {
                printerlink::bLinkLost = true;
                printerlink::bAutoReconnect = false;
            }};
}

shell::RealTimeStatusHandshake DiagnosePrinterDlg::statusHandshake() {
    return {printerlink::statusHandshake.bDiagStatusRequested, printerlink::statusHandshake.bDiagStatusAnswered};
}

// Waited for while events are served: an answer still on its way from a
// printer that answers late must not be missed.
bool DiagnosePrinterDlg::serialAnswerAwaited() {
    shell::waitRounds(kAnswerRounds, kAnswerSleepMs,
                      [this] { return printerlink::statusHandshake.bDiagStatusAnswered || !isLoaded(); });
    return serialAnswerTaken();
}

bool DiagnosePrinterDlg::serialLinkAnswered() {
    return shell::CheckSerialLink(m_MainComm, *this, statusHandshake(), linkCheck());
}

bool DiagnosePrinterDlg::serialAnswerTaken() {
    return shell::TakeAnswerOrExit(m_MainComm, *this, statusHandshake(), linkCheck());
}

// The printer answers in the order it was asked, so a reply still owed
// would come before the answer to a request sent now, or, lost, leave that
// answer in its place. A MICR reply awaited ends by its read's deadline.
bool DiagnosePrinterDlg::awaitOwnTurn() {
    bool turn = false;
    withoutStatusPoll([this, &turn] {
        if (!doorPass_.door().awaitQuiet(doorPass_.owner(), [this] { return !isLoaded(); })) return;
        while (isLoaded() && Interpreter.micrReplyPending()) {
            platform::DoEvents();
            platform::Sleep(kMicrPendingSleepMs);
        }
        turn = isLoaded();
    });
    return turn;
}

// Each USB HID read waits only a short while for its report: the window
// reads again for a reply of its own, up to the deadline the whole wait has.
bool DiagnosePrinterDlg::waitOwnReply(std::uint8_t& b, platform::Micros deadline) {
    if (ownReplyBytes_) return waitOwnSerialReply(b, deadline);
    platform::Bytes reply(1, 0);
    bool got = m_MainComm.waitResponseUntil(reply, 1, deadline);
    while (!got && hidOpen() && m_MainComm.IsPrinterOnline() && now() < deadline)
        got = m_MainComm.waitResponseUntil(reply, 1, deadline);
    if (got) b = reply[0];
    return got;
}

// The link's serial wait sleeps without serving events for as long as the
// output takes to leave (half a minute for a large logo at 9600 baud) and
// then up to 5 s for the reply: the window could not be closed meanwhile,
// nor a key pressed. These waits take the input as the link's data events
// bring it instead, and keep the link's limits.
void DiagnosePrinterDlg::readingOwnReplies(const std::function<void()>& body) {
    const bool serial = !interpreterHost_->lanLink() && !interpreterHost_->usbLink();
    if (!serial || ownReplyBytes_) {
        body();
        return;
    }
    ownReplyBytes_.emplace();
    struct Done {
        std::optional<platform::Bytes>& bytes;
        ~Done() { bytes.reset(); }
    } done{ownReplyBytes_};
    body();
}

bool DiagnosePrinterDlg::waitOwnSerialReply(std::uint8_t& b, platform::Micros deadline) {
    platform::SerialControl& port = m_MainComm.MSCommCtrl;
    printerlink::SerialReplyPolls polls(port.OutBufferCount());
    // The answer cannot come before the request has left the port: what
    // came while the output still left is a noisy line's, or late.
    const auto kept = [&] {
        if (ownReplyBytes_ && port.OutBufferCount() > 0) ownReplyBytes_->clear();
        return ownReplyBytes_ && !ownReplyBytes_->empty();
    };
    while (!kept() && isLoaded() && m_MainComm.IsPrinterOnline() && !polls.over() && now() < deadline) {
        platform::DoEvents();
        if (kept()) break;
        platform::Sleep(printerlink::SerialReplyPolls::kPollSleepMs);
        polls.polled(port.OutBufferCount());
    }
    if (!kept() || !isLoaded()) return false;
    b = ownReplyBytes_->front();
    ownReplyBytes_->erase(ownReplyBytes_->begin());
    return true;
}

void DiagnosePrinterDlg::dropOwnReplyInput() {
    if (ownReplyBytes_) ownReplyBytes_->clear();
    if (hidOpen()) m_MainComm.readQueuedHidReports();
}

// A serial wait counts from when the output has left (a logo may take half
// a minute to leave); a USB HID one is made of reads, and keeps to the time
// the other links give.
platform::Micros DiagnosePrinterDlg::replyDeadline() const {
    return hidOpen() ? now() + platform::Micros(printerlink::kReplyWaitMs) * 1000 : platform::kForever;
}

// A test pressed while another one waits (its buttons stay live) runs once
// that one has ended, pressed twice it runs once more: run inside the other's
// wait, its replies would be taken by that wait (a TCP wait takes every byte
// that comes) and its own wait would take the other's.
// A check scan's blocks arrive after its procedure has returned: a test
// pressed meanwhile waits for the scan's end as for any test's, or its
// link check's answer and its own reads would break into the image.
void DiagnosePrinterDlg::dispatch(void (DiagnosePrinterDlg::*direct)(), void (DiagnosePrinterDlg::*serial)()) {
    const PressedTest pressed{direct, serial};
    if (std::find(pressedDuringTest_.begin(), pressedDuringTest_.end(), pressed) == pressedDuringTest_.end())
        pressedDuringTest_.push_back(pressed);
    if (!testRunning_ && !scanReceiving()) runPressedTests();
}

void DiagnosePrinterDlg::runPressedTests() {
    struct Running {
        DiagnosePrinterDlg& window;
        ~Running() {
            window.testRunning_ = false;
            // Those pressed during a scan that one of them started run when
            // it has ended.
            if (!window.isLoaded() || !window.scanReceiving()) window.pressedDuringTest_.clear();
        }
    } running{*this};
    testRunning_ = true;
    while (!pressedDuringTest_.empty() && isLoaded() && !scanReceiving()) {
        const PressedTest next = pressedDuringTest_.front();
        pressedDuringTest_.pop_front();
        runTest(next);
    }
}

bool DiagnosePrinterDlg::scanReceiving() const { return ScanSession.m_bScanning && ScanSession.m_iScanPhase > 0; }

// Posted: the scan ends inside the reply interpreter, or inside the
// status timer's read on USB HID, which must be free to serve the tests.
void DiagnosePrinterDlg::scanEnded() {
    if (pressedDuringTest_.empty()) return;
    platform::EventLoop::current().post(life_.wrap([this] {
        if (isLoaded() && !testRunning_ && !scanReceiving()) runPressedTests();
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
    if (!isLoaded()) return;
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
