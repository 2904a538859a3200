// The slip station's tests: slip print, MICR read and check flip, each a
// direct procedure (TCP, USB HID) and a serial one, and the wait until the
// printer reports the document in the slip station.
#include <utility>

#include "diagnostics/DiagnosePrinterDlgHosts.h"
#include "link/LinkFlags.h"
#include "link/PrinterCommands.h"
#include "platform/loop/EventLoop.h"
#include "shell/ModalMessageBox.h"
#include "shell/ModelessMsgBox.h"
#include "shell/TypeDefinition.h"
#include "shell/WorkWindowLink.h"

namespace diagnostics {

using platform::Bytes;

namespace {

constexpr int kSlipLogoMode = 1;
constexpr int kSlipSleepMs = 15000, kMICRSleepMs = 5000, kFlipSleepMs = 10000;
constexpr int kBusyNoticeMs = 1000;
// The flipped check is fed back to where it went in.
constexpr std::uint8_t kFlipBackLines = 30;
// After the direct MICR read's sleep its reply has had its time; this long
// more for one still on its way. A serial read, which does not sleep, waits
// as long in all.
constexpr int kMICRReplyRounds = 20, kMICRReplySleepMs = 50;
constexpr platform::Micros kMICRReplyReadLimit = platform::Micros(kMICRReplyRounds * kMICRReplySleepMs) * 1000;
constexpr const char* kBusyNotice = "Wait till the Slip station is busy.";
constexpr const char* kSlipPrompt =
    "Insert a paper to the slip station.\r\nAnd then select OK button to print.\r\nTo cancel print, select Cancel "
    "button.";
constexpr const char* kMICRPrompt =
    "Insert a check to the slip station.\r\nAnd then select OK button to read MICR.\r\nTo cancel read, select "
    "Cancel button.";
constexpr const char* kFlipPrompt =
    "Insert a check to the slip station.\r\nAnd then select OK button to flip.\r\nTo cancel flip, select Cancel "
    "button.";

void showBusyNotice() {
    shell::ShowTimedNotice(kBusyNotice, kBusyNoticeMs);
    shell::ShowTimedNotice(kBusyNotice, 0);
}

}  // namespace

void DiagnosePrinterDlg::SlipButton_Click() {
    dispatch(&DiagnosePrinterDlg::PrintSlipTestLan, &DiagnosePrinterDlg::PrintSlipTestSerial);
}

void DiagnosePrinterDlg::MICRButton_Click() {
    dispatch(&DiagnosePrinterDlg::ReadMICRLan, &DiagnosePrinterDlg::ReadMICRSerial);
}

void DiagnosePrinterDlg::FlipButton_Click() {
    dispatch(&DiagnosePrinterDlg::FlipCheckLan, &DiagnosePrinterDlg::FlipCheckSerial);
}

bool DiagnosePrinterDlg::printSlip() {
    bool ok = false;
    WaitForSlipInsertion(kSlipPrompt, false, ok);
    if (!ok) return false;
    bool slip = false;
    Printer.InitializePrinter();
    Printer.SelectCharacterSetUSA();
    Printer.SelectPaperStation(1);
    Printer.PrintReceiptTestBody(slip);
    Printer.printLogoAndBarcode(AXOLogo.Picture(), true, kSlipLogoMode);
    Printer.EjectSlip();
    return !sendsStopped();
}

void DiagnosePrinterDlg::PrintSlipTestLan() {
    if (!isSlipType(m_MainComm.PrinterType()) || !printSlip()) return;
    waitWithPollResting(kSlipSleepMs);
    if (windowOpen()) showBusyNotice();
    putPrinterBack([this] { Printer.SelectPaperStation(0); });
}

void DiagnosePrinterDlg::PrintSlipTestSerial() {
    if (!isSlipType(m_MainComm.PrinterType()) || !printSlip()) return;
    Printer.SelectPaperStation(0);
}

// The read is asked at the door: its reply's status byte has the form of
// an ESC reply, and the reply interpreter takes the next byte that is no
// other request's answer as its start while the door's next ESC request is
// this read. Given up, or dropped with a closed window, it is not awaited.
printerlink::RequestDoor::Ticket DiagnosePrinterDlg::readMICR(bool useGsR1) {
    bool ok = false;
    WaitForSlipInsertion(kMICRPrompt, useGsR1, ok);
    if (!ok || !own_.settle(printerlink::ReplyForm::Esc)) return 0;
    return own_.ask(printerlink::ReplyForm::Esc, printerlink::kMicrRead, [this] {
        Printer.sendCommand(printerlink::MicrReadCommand);
        Printer.sendCommand(printerlink::MicrReadStartCommand);
    });
}

void DiagnosePrinterDlg::ReadMICRLan() {
    if (!isSlipType(m_MainComm.PrinterType())) return;
    const printerlink::RequestDoor::Ticket read = readMICR(true);
    if (read == 0) return;
    waitWithPollResting(kMICRSleepMs);
    if (windowOpen()) {
        Interpreter.micrReplyHeldUntilNow();
        // On USB HID no event brings the reply, and a status poll's read
        // would cut it at its first zero byte (a good read's status): it is
        // read here. It has had the sleep to arrive and is read in as long
        // as a reply on its way is given on the other links.
        Bytes reply;
        withoutStatusPoll([&] {
            if (hidOpen())
                reply = own_.readAll(now() + kMICRReplyReadLimit);
            else
                shell::waitRounds(kMICRReplyRounds, kMICRReplySleepMs,
                                  [this, read] { return !windowOpen() || !doorPass_.door().open(read); });
        });
        if (!reply.empty() && windowOpen()) m_MainComm_OnDataReceived(reply);
    }
    if (windowOpen()) showBusyNotice();
    putPrinterBack([this] { Printer.SelectPaperStation(0); });
}

void DiagnosePrinterDlg::ReadMICRSerial() {
    if (!isSlipType(m_MainComm.PrinterType()) || !serialAnswerAwaited() || readMICR(false) == 0) return;
    Printer.SelectPaperStation(0);
}

bool DiagnosePrinterDlg::flipCheck() {
    bool ok = false;
    WaitForSlipInsertion(kFlipPrompt, false, ok);
    if (!ok) return false;
    Printer.SelectPaperStation(1);
    Printer.sendCommand(printerlink::FlipCheckCommand);
    Printer.sendCommand(printerlink::ReverseFeedCommand(kFlipBackLines));
    Printer.EjectSlip();
    return !sendsStopped();
}

void DiagnosePrinterDlg::FlipCheckLan() {
    if (!isSlipType(m_MainComm.PrinterType()) || !flipCheck()) return;
    waitWithPollResting(kFlipSleepMs);
    if (windowOpen()) showBusyNotice();
    putPrinterBack([this] { Printer.SelectPaperStation(0); });
}

void DiagnosePrinterDlg::FlipCheckSerial() {
    if (!isSlipType(m_MainComm.PrinterType()) || !serialAnswerAwaited() || !flipCheck()) return;
    Printer.SelectPaperStation(0);
}

void DiagnosePrinterDlg::WaitForSlipInsertion(const std::string& prompt, bool useGsR1, bool& ok) {
    ok = false;
    if (!isSlipType(m_MainComm.PrinterType())) return;
    long answer = shell::vbOK;
    while (answer == shell::vbOK && !ok && !sendsStopped()) {
        answer = shell::ShowMessage(prompt, shell::vbOKCancel, shell::vbInformation);
        if (!confirmed(answer == shell::vbOK)) break;
        ok = own_.slipInPlace(hidOpen() && useGsR1);
    }
    ok = ok && answer == shell::vbOK && windowOpen();
}

}  // namespace diagnostics
