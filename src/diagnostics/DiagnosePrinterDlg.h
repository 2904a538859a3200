// The diagnostics window " Diagnose POS Printer": the test prints (receipt,
// diagnostic form, two colours, two sides, cash drawers), the slip station's
// tests (slip print, MICR read, check flip), the logo download from a bitmap
// file, the check scan into a bitmap file, and the status panel of 29
// indicators that follows the printer once a second.
//
// Ownership: made fresh for every opening by OpenDiagnosePrinterDlg (the main
// window's Diagnose hook) with platform::newForm and shown modally, owned by
// the main window, which outlives it. It keeps the main window as m_MainComm
// and subscribes to its OnDataReceived and OnStatusUpdated while it lives.
//
// What may block and nest: every test sends through the link, whose sends
// yield; the serial procedures show a modal two-second notice; the colour and
// two-sided tests and the slip, MICR and flip procedures wait with the poll
// resting; those waits, the slip insertion wait, the logo file dialog and
// the messages run the loop nested. So link events and key presses run in
// the middle of a test: Close ends the test's wait, and a test pressed
// meanwhile runs after the current one, or after the check scan whose
// blocks are coming. A check scan runs as replies arrive:
// its procedure returns after starting it, and the reply interpreter (on
// USB HID the status timer, which then reads the input reports) takes it
// to its end, writes the image file and prints it. Its parts own their
// state behind narrow interfaces: what the tests print (DiagnosticPrinter,
// and ScannerCommands through it), the
// reply interpreter (StatusInterpreter, with the books of which request each
// reply answers) and the scan's reception (CheckScanSession); the window
// hosts the last two through small host objects (DiagnosePrinterDlgHosts.h)
// and keeps its controls, their handlers and the test procedures that wait,
// ask and tell. The reply interpreter is re-entrant: bytes that
// reach it while it is busy are queued and interpreted in order after the
// current ones. A serial link check that fails unloads the window from
// inside its own handler.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "diagnostics/CheckScanSession.h"
#include "diagnostics/DiagnosticPrinter.h"
#include "diagnostics/OwnExchanges.h"
#include "diagnostics/ScannerCommands.h"
#include "diagnostics/StatusInterpreter.h"
#include "diagnostics/StatusRules.h"
#include "link/LinkEvent.h"
#include "platform/dialogs/CommonDialog.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Form.h"
#include "platform/forms/Frame.h"
#include "platform/forms/Image.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/TimerControl.h"
#include "platform/loop/LifeToken.h"
#include "shell/MainWindow.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

// The Diagnose hook of the main window: opens the window modally and returns
// when it has closed.
void OpenDiagnosePrinterDlg(shell::MainWindow& mainWindow);

// Owns the window's host objects (DiagnosePrinterDlgHosts.h). As a base it
// is built before every member of the window, so the parts that hold a host
// from their construction on find it made.
class DiagnosePrinterDlgHostsBase {
protected:
    DiagnosePrinterDlgHostsBase(std::unique_ptr<StatusInterpreter::Host> interpreterHost,
                                std::unique_ptr<CheckScanSession::Host> scanHost,
                                std::unique_ptr<OwnExchanges::Host> ownHost)
        : interpreterHost_(std::move(interpreterHost)), scanHost_(std::move(scanHost)), ownHost_(std::move(ownHost)) {}
    std::unique_ptr<StatusInterpreter::Host> interpreterHost_;
    std::unique_ptr<CheckScanSession::Host> scanHost_;
    std::unique_ptr<OwnExchanges::Host> ownHost_;
};

class DiagnosePrinterDlg : public platform::Form, private DiagnosePrinterDlgHostsBase {
public:
    explicit DiagnosePrinterDlg(shell::MainWindow& mainWindow);
    ~DiagnosePrinterDlg() override;

    static constexpr const char* kCaption = " Diagnose POS Printer";
    static constexpr int kPollIntervalMs = 1000;

    shell::MainWindow& m_MainComm;
    // "AHPI", "Ethernet" or "COM" and the stored port number.
    std::string m_PortNo;
    // What the tests print, and the commands they send.
    DiagnosticPrinter Printer{m_MainComm, [this] { return sendsStopped(); }};
    // The check scan's commands, sent through Printer.
    ScannerCommands Scanner{Printer};

    // ---- Controls ----
    platform::Image AXOLogo;
    platform::Frame SerialStatusGroup;
    platform::Label PrinterOnline;
    platform::TextBox PrinterOnlineText;
    platform::Frame ButtonGroup;
    platform::CommandButton ReceiptButton;
    platform::CommandButton PrintFormButton;
    platform::CommandButton ColorPrintButton;
    platform::CommandButton TwoSideButton;
    platform::CommandButton DownloadLogoButton;
    platform::CommandButton SlipButton;
    platform::CommandButton MICRButton;
    platform::CommandButton FlipButton;
    platform::CommandButton CheckScanButton;
    platform::CommandButton DrawerButton;
    platform::CommandButton CloseButton;
    platform::Frame StatusGroup;
    platform::Frame PaperStatusGroup;
    platform::ControlArray<platform::CheckBox> PaperStatus;
    platform::Frame PrinterStatusGroup;
    platform::Label SelectedStationLabel;
    platform::TextBox SelectedStationText;
    platform::ControlArray<platform::CheckBox> PrinterStatus;
    platform::Frame ErrorConditionGroup;
    platform::ControlArray<platform::CheckBox> ErrorCondition;
    platform::Frame KioskStatusGroup;
    platform::ControlArray<platform::CheckBox> KioskStatus;
    platform::TimerControl StatusPollTimer;
    platform::CommonDialog CommonDlg;

    // ---- Click handlers and the link probe ----
    void ReceiptButton_Click();
    void PrintFormButton_Click();
    void ColorPrintButton_Click();
    void TwoSideButton_Click();
    void DrawerButton_Click();
    void DownloadLogoButton_Click();
    void SlipButton_Click();
    void MICRButton_Click();
    void FlipButton_Click();
    void CheckScanButton_Click();
    void CloseButton_Click();
    // False when the window closed before the request's turn came: nothing
    // was sent.
    bool RequestRealTimeStatus();
    void PurgeBuffers();

    // ---- Print tests ----
    void PrintReceiptTestLan();
    void PrintReceiptTestSerial();
    void PrintDiagFormTest();
    void PrintDiagFormTestSerial();
    void PrintTwoColorTestLan();
    void PrintTwoColorTestSerial();
    void PrintTwoSidedTestLan();
    void PrintTwoSidedTestSerial();
    void OpenCashDrawerLan();
    void OpenCashDrawerSerial();

    // ---- Status poll and panel ----
    void StatusPollTimer_Timer();
    void PollPrinterStatus();
    void RequestKioskStatus();
    void m_MainComm_OnDataReceived(const platform::Bytes& ResponseData);
    void m_MainComm_OnStatusUpdated(int NewStatus);
    void InitStatusListsByModel();
    void InitStatusListsByType();
    void ArrangeStatusGroupsByModel(bool online);
    void ArrangeStatusGroupsByType(bool online);
    void EnableTestButtonsByModel(bool online);
    void EnableTestButtonsByType(bool online);
    void SetStatusIndicator(std::uint8_t index, std::uint8_t state);

    // ---- Slip, MICR and check flip ----
    void PrintSlipTestLan();
    void PrintSlipTestSerial();
    void ReadMICRLan();
    void ReadMICRSerial();
    void FlipCheckLan();
    void FlipCheckSerial();
    // ok is True only when the printer reported the document in place.
    void WaitForSlipInsertion(const std::string& prompt, bool useGsR1, bool& ok);
    void ProcessMICRReply(int status);
    static void ParseMICRFields(const std::string& raw, std::string& transit, std::string& bank,
                                std::string& account, std::string& serial);

    // ---- The logo download and the check scan ----
    // True when the printer answered the erase.
    bool SelectFlashLogoArea();
    void DownloadLogoLan();
    void DownloadLogoSerial();
    void ScanCheckLan();
    void ScanCheckSerial();
    bool WaitReplyAndPurge();
    void FinishCheckScan();
    void PrintScanFile(const std::string& fileName);

private:
    // The window as its parts' host (DiagnosePrinterDlgHosts.h), owned by
    // its base.
    class InterpreterHost;
    class ScanHost;
    class OwnHost;

public:
    // The scan's reception state (m_bScanning, m_iScanPhase,
    // ScanReceptionState, m_ScanImage) and its byte-by-byte reception.
    CheckScanSession ScanSession;
    // The reply interpreter and its state: the rows the replies answer, the
    // MICR reply awaited and collected, the replies queued while it is busy.
    StatusInterpreter Interpreter;

protected:
    void Form_Initialize() override;
    void Form_Load() override;
    void Form_KeyPress(int& KeyAscii) override;
    void Form_KeyDown(int& KeyCode, int Shift) override;
    void Form_Unload(int& Cancel) override;
    void Form_Terminate() override;

private:
    void layOut();
    void layOutStatusPanel(int left, int top);
    // The test's direct procedure on TCP or an open USB HID device, else the
    // real-time status request and its serial procedure. A test whose sends
    // did not all reach the printer stops at the first that failed and ends
    // with the window shown offline.
    void dispatch(void (DiagnosePrinterDlg::*direct)(), void (DiagnosePrinterDlg::*serial)());
    using PressedTest = std::pair<void (DiagnosePrinterDlg::*)(), void (DiagnosePrinterDlg::*)()>;
    void runTest(const PressedTest& test);
    // The tests pressed, in turn, until none is left or a scan's blocks come.
    void runPressedTests();
    // A check scan's blocks are coming.
    bool scanReceiving() const;
    // Once the handler that runs now has returned (a scan that ended, a
    // poll whose send a press came in), the tests pressed meanwhile go next.
    void runPressedTestsLater();
    // Also once the window was closed: a test still running sends nothing
    // more to a printer nobody watches.
    bool sendsStopped() const { return (!windowOpen() && !puttingPrinterBack_) || clickSends_.stopped(); }
    // Loaded, and Close not pressed: from Close on every wait of a test
    // ends, and nothing more is shown, printed or sent for it.
    bool windowOpen() const { return isLoaded() && !closing_; }
    bool closing_ = false;
    // What a test sends to leave the printer as it found it (the receipt
    // station selected, one colour) goes out also when the window was
    // closed during the test's wait: the closed window prints nothing more,
    // but a printer left on the slip station or in two colours would print
    // the next receipt wrongly.
    void putPrinterBack(const std::function<void()>& sends);
    bool puttingPrinterBack_ = false;
    void showOffline();
    // A poll's requests, sent together; on USB HID each read after it.
    bool sendPollSet(std::initializer_list<platform::Bytes> commands);
    // By model for "Any HID USB POS Printer", else by type.
    void arrangeStatusGroups(bool online);
    // The printer's state as the link finds it now, read afresh.
    void showLinkState();
    // The status poll's part in telling a silent printer where the link
    // does not: a poll goes out, the printer sent something.
    void notePoll();
    void noteAnswer();
    // The notice, the answer test and on no answer the lost-link exit.
    bool serialLinkAnswered();
    // The answer test without a notice, after the answer's wait; on no
    // answer the lost-link exit.
    bool serialAnswerAwaited();
    // The answer test alone; a window closed meanwhile takes no exit.
    bool serialAnswerTaken();
    bool hidOpen() const { return m_MainComm.m_lngHIDHandle > 0; }

    // Runs body with the status poll stopped: its requests and reads would
    // take the replies that body waits for.
    void withoutStatusPoll(const std::function<void()>& body);
    // While the status poll rests nothing asks the printer, and what the
    // window sends meanwhile (a print, a scan's acknowledgement, the CAN
    // that ends a failed scan) may never be answered: the window holds the
    // link's TCP reply watchdog, which keeps silent and, once the poll
    // resumes, counts afresh from the poll's next request. The window's own
    // waits have their own limits and messages. A check scan holds it from
    // its start until it has ended, its message included, whichever way it
    // ends.
    // A test's wait for the printer to work (a print, a flip): the status
    // poll rests meanwhile too. Events are served, so Close and the test
    // keys are taken at once; a closed window ends the wait.
    void waitWithPollResting(int ms);
    // Slip station: the tests' steps up to the wait, false when cancelled.
    bool printSlip();
    // The read's ticket at the door, or 0 when it was cancelled or failed.
    printerlink::RequestDoor::Ticket readMICR(bool useGsR1);
    bool flipCheck();
    // Logo download, after the file was chosen.
    void downloadLogo(const std::string& fileName);
    bool chooseLogoFile(std::string& fileName);
    // A test that ends on the technician's no (a prompt, a question, a file
    // dialog) drops its presses queued meanwhile: pressed again while the
    // window waited, it would ask again right after the no. `yes` back.
    bool confirmed(bool yes);
    // Check scan.
    bool scanAllowed() const;
    void beginScan();
    void readScanReportsOnHid();

    // The settings file's model, as its identifier.
    static std::string storedModelIdentifier();
    ModelFacts modelFacts(bool byModel) const;
    void applyPanelRules(const std::vector<PanelRule>& rules, const PanelClasses& classes,
                         const std::function<void(platform::Control&)>& action);
    platform::Control* panelItem(const PanelRule& rule);
    platform::CheckBox* indicator(int index);
    void applyButtonRule(const ButtonRule& rule, bool online);

    shell::PollSilence pollSilence_{kPollIntervalMs};
    bool m_bFlashOn = false;
    std::string m_strWindowCaption;

    shell::OperationSends clickSends_{m_MainComm};
    // A test runs; the tests pressed meanwhile, each once, in turn.
    bool testRunning_ = false;
    PressedTest currentTest_{};
    std::deque<PressedTest> pressedDuringTest_;
    // Its status requests go through the link's door on this pass.
    shell::DoorPass doorPass_{m_MainComm};
    // The requests whose answers its tests wait for themselves.
    OwnExchanges own_{*ownHost_, m_MainComm, doorPass_};

    // Ends what the window posted to the loop when the window goes.
    platform::LifeToken life_;
        printerlink::LinkEvent<const platform::Bytes&>::Subscription dataSubscription_;
    printerlink::LinkEvent<int>::Subscription statusSubscription_;
};

}  // namespace diagnostics
