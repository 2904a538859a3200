// The slip station's tests: slip print, MICR read and check flip, each a
// direct procedure (TCP, USB HID) and a serial one, and the wait until the
// printer reports the document in the slip station.
#include <utility>

#include "diagnostics/DiagnosePrinterDlg.h"
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
constexpr platform::Micros kMICRReplyLimit =
    platform::Micros(kMICRSleepMs + kMICRReplyRounds * kMICRReplySleepMs) * 1000;
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

// Slip station indicators.
constexpr std::uint8_t kLeadingEdge = 5, kTrailingEdge = 6, kStation = 7, kWaitingForSlip = 8;

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

void DiagnosePrinterDlg::showBusyNotice() {
    shell::ShowTimedNotice(kBusyNotice, kBusyNoticeMs);
    shell::ShowTimedNotice(kBusyNotice, 0);
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
    if (isLoaded()) showBusyNotice();
    putPrinterBack([this] { Printer.SelectPaperStation(0); });
}

void DiagnosePrinterDlg::PrintSlipTestSerial() {
    if (!isSlipType(m_MainComm.PrinterType()) || !printSlip()) return;
    Printer.SelectPaperStation(0);
}

std::optional<StatusInterpreter::MicrRead> DiagnosePrinterDlg::readMICR(bool useGsR1) {
    bool ok = false;
    WaitForSlipInsertion(kMICRPrompt, useGsR1, ok);
    if (!ok) return std::nullopt;
    const StatusInterpreter::MicrRead read = Interpreter.awaitMicrReply();
    Printer.sendCommand(printerlink::MicrReadCommand);
    Printer.sendCommand(printerlink::MicrReadStartCommand);
    // A read that did not go out has no reply to await.
    if (sendsStopped()) {
        Interpreter.stopAwaitingMicrReply(read);
        return std::nullopt;
    }
    Interpreter.awaitMicrUntil(read, now() + kMICRReplyLimit);
    return read;
}

// On USB HID no event brings the reply, and a status poll's read would cut
// it at its first zero byte (a good read's status): it is read here. It has
// had the sleep to arrive and is read in as long as a reply on its way is
// given on the other links.
void DiagnosePrinterDlg::readMICRReplyOnHid() {
    Bytes reply;
    withoutStatusPoll([&] { reply = readHidReplyBytes(now() + kMICRReplyReadLimit); });
    if (!reply.empty()) m_MainComm_OnDataReceived(reply);
}

void DiagnosePrinterDlg::ReadMICRLan() {
    if (!isSlipType(m_MainComm.PrinterType())) return;
    const std::optional<StatusInterpreter::MicrRead> sent = readMICR(true);
    if (!sent) return;
    const StatusInterpreter::MicrRead read = *sent;
    waitWithPollResting(kMICRSleepMs);
    if (!isLoaded()) {
        Interpreter.stopAwaitingMicrReply(read);
        putPrinterBack([this] { Printer.SelectPaperStation(0); });
        return;
    }
    Interpreter.micrReplyHeldUntilNow();
    if (hidOpen())
        readMICRReplyOnHid();
    else
        withoutStatusPoll([this, read] {
            shell::waitRounds(kMICRReplyRounds, kMICRReplySleepMs,
                              [this, read] { return !Interpreter.micrReplyAwaited(read); });
        });
    // A reply that has not begun by now is not coming: the status poll's
    // next ESC reply must not be taken for its start, nor the panel's
    // replies after it for its text.
    Interpreter.stopAwaitingMicrReply(read);
    showBusyNotice();
    Printer.SelectPaperStation(0);
}

void DiagnosePrinterDlg::ReadMICRSerial() {
    if (!isSlipType(m_MainComm.PrinterType()) || !serialAnswerAwaited() || !readMICR(false)) return;
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
    if (isLoaded()) showBusyNotice();
    putPrinterBack([this] { Printer.SelectPaperStation(0); });
}

void DiagnosePrinterDlg::FlipCheckSerial() {
    if (!isSlipType(m_MainComm.PrinterType()) || !serialAnswerAwaited() || !flipCheck()) return;
    Printer.SelectPaperStation(0);
}

void DiagnosePrinterDlg::WaitForSlipInsertion(const std::string& prompt, bool useGsR1, bool& ok) {
    ok = false;
    if (!isSlipType(m_MainComm.PrinterType())) return;
    // A reply the printer lost is given up before the prompt, so the wait
    // it costs comes before the technician inserts the document, not after OK.
    if (!awaitOwnTurn()) return;
    long answer = shell::vbOK;
    while (answer == shell::vbOK && !ok && !sendsStopped()) {
        answer = shell::ShowMessage(prompt, shell::vbOKCancel, shell::vbInformation);
        if (answer != shell::vbOK) {
            // Pressed again while the window waited, the test would prompt
            // again right after the technician said no.
            std::erase(pressedDuringTest_, currentTest_);
            break;
        }
        const bool gsR1 = hidOpen() && useGsR1;
        // The status poll's replies have the slip status's form.
        withoutStatusPoll([&] { readSlipStatus(ok, gsR1); });
    }
    ok = ok && answer == shell::vbOK && isLoaded();
}

// An answer that may be the late answer of a request given up says nothing
// of the station now: asked again, the printer's next answer comes after
// the late ones, and only as many can be late as were given up. A document
// in place is asked twice: a random byte of a noisy line that falls between
// a request and its answer has the answer's form now and then, and taken
// for "in" it would print into an empty station. Each answer has the
// printer's whole reply wait, so a slow printer is not cut short.
void DiagnosePrinterDlg::readSlipStatus(bool& ok, bool gsR1) {
    bool inOnce = false;
    while (isLoaded()) {
        const platform::Micros deadline = now() + platform::Micros(printerlink::kReplyWaitMs) * 1000;
        const std::optional<SlipStatus> status = askSlipStatus(gsR1, deadline);
        if (!status) return;
        if (status->maybeLate) continue;
        if (!status->inPlace) return;
        if (std::exchange(inOnce, true)) {
            ok = true;
            return;
        }
    }
}

// Asks once nothing of the answer's form is owed, and reads the printer's
// bytes until the answer to this request comes or the printer has had its
// time, the sensor messages in between included. A byte of another form
// from a noisy line, or of the answer's form that answers another request,
// must not start a print into an empty station.
std::optional<DiagnosePrinterDlg::SlipStatus> DiagnosePrinterDlg::askSlipStatus(bool gsR1, platform::Micros deadline) {
    const printerlink::ReplyForm form = gsR1 ? printerlink::ReplyForm::Esc : printerlink::ReplyForm::Status;
    ownAnswer_.reset();
    // The wait reads every byte itself: replies of other forms still owed
    // would be read and lost here.
    if (!awaitOwnTurn()) return std::nullopt;
    const printerlink::RequestDoor::Ticket ticket = doorPass_.door().ask(
        doorPass_.owner(), form, printerlink::kOwnRequest, 1,
        [&] {
            Printer.sendCommand(gsR1 ? printerlink::GsRStatusCommand : printerlink::GsEotStatusCommand(5));
            return !sendsStopped();
        },
        [this] { return !isLoaded(); });
    if (ticket == 0) return std::nullopt;
    // On serial the link's own wait would serve no events while the printer
    // takes its time: Close and the keys would wait for it.
    std::optional<SlipStatus> status;
    readingOwnReplies([&] { status = readSlipAnswer(gsR1, form, ticket, deadline); });
    return status;
}

// The answer may also have reached the reply interpreter (ownAnswer_) before
// this read began.
std::optional<DiagnosePrinterDlg::SlipStatus> DiagnosePrinterDlg::readSlipAnswer(bool gsR1, printerlink::ReplyForm form,
                                                                               printerlink::RequestDoor::Ticket ticket,
                                                                               platform::Micros deadline) {
    const auto answeredThrough = [&]() -> std::optional<SlipStatus> {
        if (!ownAnswer_ || !ownAnswer_->answer.answers(ticket)) return std::nullopt;
        return slipStatusOf(ownAnswer_->b, gsR1, ownAnswer_->answer.maybeLate);
    };
    // A byte that turns out not to belong to a sensor message is looked at
    // again from the start: on a noisy line a random byte may look like a
    // message's first one, and the answer must not be read away as its rest.
    std::optional<std::uint8_t> again;
    const auto next = [&](std::uint8_t& v) {
        if (!again) return waitOwnReply(v, deadline);
        v = *std::exchange(again, std::nullopt);
        return true;
    };
    while (isLoaded() && now() < deadline) {
        if (const std::optional<SlipStatus> through = answeredThrough()) return through;
        std::uint8_t v = 0, sensor0 = 0, sensor1 = 0;
        if (!next(v)) break;
        if (gsR1 ? isEscReply(v) : isGsEotReply(v)) {
            const printerlink::RequestDoor::Answer answer = doorPass_.door().take(form, now());
            if (answer.answers(ticket)) return slipStatusOf(v, gsR1, answer.maybeLate);
        } else if ((v & 0x90) == 0x90) {
            if (!next(sensor0)) continue;
            if ((sensor0 & 0xA0) != 0xA0) {
                again = sensor0;
                continue;
            }
            if (!next(sensor1)) continue;
            if ((sensor1 & 0xB0) != 0xB0) {
                again = sensor1;
                continue;
            }
            SetStatusIndicator(static_cast<std::uint8_t>((v & 0x0F) * 16 + (sensor0 & 0x0F)), sensor1 & 0x0F);
        }
    }
    return answeredThrough();
}

// The station's indicators show only what the printer reported for certain.
std::optional<DiagnosePrinterDlg::SlipStatus> DiagnosePrinterDlg::slipStatusOf(std::uint8_t v, bool gsR1,
                                                                             bool maybeLate) {
    if (gsR1) return SlipStatus{(v & 0x20) == 0, maybeLate};
    if (!maybeLate) {
        SetStatusIndicator(kStation, (v & 0x04) ? 2 : 1);
        SetStatusIndicator(kWaitingForSlip, (v & 0x08) ? 1 : 0);
        SetStatusIndicator(kLeadingEdge, (v & 0x20) ? 0 : 1);
        SetStatusIndicator(kTrailingEdge, (v & 0x40) ? 0 : 1);
    }
    return SlipStatus{(v & 0x60) == 0, maybeLate};
}

Bytes DiagnosePrinterDlg::readHidReplyBytes(platform::Micros deadline) {
    Bytes out;
    Bytes b(1, 0);
    while (now() < deadline && m_MainComm.waitResponseUntil(b, 1, deadline)) out.push_back(b[0]);
    return out;
}

}  // namespace diagnostics
