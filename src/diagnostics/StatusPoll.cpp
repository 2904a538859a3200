// The status poll, the link status handler and the reply interpreter that
// turns every received byte into the status panel's indicators.
#include <algorithm>
#include <utility>

#include "diagnostics/DiagnosePrinterDlg.h"
#include "link/HidProducts.h"
#include "link/LinkFlags.h"
#include "link/ModelIdentifiers.h"
#include "link/PrinterCommands.h"
#include "platform/Application.h"
#include "platform/loop/EventLoop.h"
#include "shell/IniFile.h"
#include "shell/TypeDefinition.h"

namespace diagnostics {

using platform::Bytes;
using printerlink::iEscStatusReplyKind;

namespace {

constexpr int kPollYields = 51;
constexpr std::uint8_t kInputReportId = 0x09;
constexpr std::uint8_t kCarriageReturn = 13;
constexpr int kEscVReply = 0, kEscUReply = 1;
// Nothing is asked with ESC v or ESC u: the bytes read are the kiosk
// replies, whose report ID and length byte must not be read as ESC replies.
constexpr int kNoEscReply = 2;

}  // namespace

void DiagnosePrinterDlg::StatusPollTimer_Timer() {
    if (ScanSession.m_bScanning) {
        m_bFlashOn = !m_bFlashOn;
        if (m_bFlashOn) platform::app().flashWindow();
        setCaption(m_strWindowCaption + " - Receiving Scan Image...");
        if (hidOpen()) readScanReportsOnHid();
        endQuietScan();
    } else {
        m_bFlashOn = false;
        setCaption(m_strWindowCaption);
        PollPrinterStatus();
        RequestKioskStatus();
    }
    for (int i = 0; i < kPollYields; ++i) platform::DoEvents();
}

void DiagnosePrinterDlg::withoutStatusPoll(const std::function<void()>& body) {
    const bool polling = StatusPollTimer.Enabled();
    StatusPollTimer.setEnabled(false);
    holdReplyWatchdog();
    struct Restore {
        DiagnosePrinterDlg& window;
        bool enabled;
        ~Restore() {
            window.releaseReplyWatchdog();
            window.StatusPollTimer.setEnabled(enabled);
        }
    } restore{*this, polling};
    body();
}

void DiagnosePrinterDlg::holdReplyWatchdog() {
    ++replyWatchdogHolds_;
    m_MainComm.holdReplyWatchdog();
}

void DiagnosePrinterDlg::releaseReplyWatchdog() {
    if (replyWatchdogHolds_ == 0) return;
    --replyWatchdogHolds_;
    m_MainComm.releaseReplyWatchdog();
}

void DiagnosePrinterDlg::sleepWithPollResting(int ms) {
    holdReplyWatchdog();
    platform::Sleep(ms);
    releaseReplyWatchdog();
}

void DiagnosePrinterDlg::PollPrinterStatus() {
    if (!m_MainComm.IsPrinterOnline()) return;
    countRepliesTakenByLink();
    notePoll();
    // What a TCP printer answered when it was connected says nothing about a
    // printer on another link.
    const bool lanAnswersEscV = printerlink::bLanAnswersEscV && m_MainComm.EthernetStatus() == "True";
    if (m_MainComm.m_lngHIDHandle <= 0 && !lanAnswersEscV) {
        const int requests = isSlipType(m_MainComm.PrinterType()) ? 5 : 4;
        expectedReplies_.expectPoll(requests, now());
        Bytes command;
        for (int n = 1; n <= requests; ++n)
            printerlink::AppendCommand(command, printerlink::GsEotStatusCommand(static_cast<std::uint8_t>(n)));
        m_MainComm.SendOutput(command);
        return;
    }
    if (lanAnswersEscV) {
        platform::DoEvents();
        // The ESC v reply comes first. The kind the interpreter expects is
        // module-wide and a USB HID window of the same run leaves it on ESC
        // u or on neither; unchecked, every reply would be read as the other.
        iEscStatusReplyKind = kEscVReply;
        m_MainComm.SendOutput(
            printerlink::JoinedCommands({printerlink::EscVStatusCommand, printerlink::EscUStatusCommand}));
    }
    if (hidOpen()) {
        iEscStatusReplyKind = kEscVReply;
        sendCommand(printerlink::EscVStatusCommand);
        m_MainComm.fncReadHIDData();
        iEscStatusReplyKind = kEscUReply;
        sendCommand(printerlink::EscUStatusCommand);
        m_MainComm.fncReadHIDData();
    }
}

void DiagnosePrinterDlg::RequestKioskStatus() {
    platform::DoEvents();
    if (!m_MainComm.IsPrinterOnline() || m_MainComm.PrinterType() != kM27xType) return;
    if (!hidOpen()) {
        m_MainComm.SendOutput(
            printerlink::JoinedCommands({printerlink::KioskStatusCommand(1), printerlink::KioskStatusCommand(2)}));
        return;
    }
    // On USB HID the replies come only when read, one report each.
    iEscStatusReplyKind = kNoEscReply;
    for (std::uint8_t n : {0x01, 0x02}) {
        sendCommand(printerlink::KioskStatusCommand(n));
        m_MainComm.fncReadHIDData();
    }
}

void DiagnosePrinterDlg::m_MainComm_OnStatusUpdated(int NewStatus) {
    // A TCP printer answering again after its time-out is read afresh, as
    // after a change of the serial lines.
    if (printerlink::isLineChangeStatus(NewStatus) || NewStatus == printerlink::kLanAnswersAgainStatus) {
        showLinkState();
    } else if (NewStatus == printerlink::kLanTimeoutStatus) {
        showOffline();
    } else if (printerlink::isLineErrorStatus(NewStatus)) {
        PurgeBuffers();
    }
}

void DiagnosePrinterDlg::showLinkState() {
    m_iStatusReplyIndex = 0;
    m_iKioskReplyIndex = 0;
    const bool online = m_MainComm.IsPrinterOnline();
    PrinterOnlineText.setText(online ? "Online" : "Offline");
    arrangeStatusGroups(online);
}

// A serial printer keeps its lines up when it stops answering, and a USB HID
// read that gets nothing raises nothing for this window: the window tells the
// silence itself, with the TCP reply watchdog's time, and shows it as the
// watchdog's time-out and the printer's next data show it on TCP.
void DiagnosePrinterDlg::notePoll() {
    if (m_MainComm.EthernetStatus() != "True" && pollSilence_.polled(now())) showOffline();
}

void DiagnosePrinterDlg::noteAnswer() {
    if (pollSilence_.answered()) showLinkState();
}

// Bytes that arrive while the interpreter is busy (it runs inside sends and
// message boxes) wait their turn, so every byte is read once and in order.
// On USB HID the poll sets the expected reply kind just before each read, so
// a queued reply keeps the kind it was read under.
void DiagnosePrinterDlg::m_MainComm_OnDataReceived(const Bytes& ResponseData) {
    if (!ResponseData.empty()) noteAnswer();
    pendingReplies_.push_back({ResponseData, iEscStatusReplyKind, now()});
    if (interpreting_) return;
    interpreting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{interpreting_};
    while (!pendingReplies_.empty()) {
        const ReplyBlock block = std::move(pendingReplies_.front());
        pendingReplies_.pop_front();
        if (m_MainComm.AHPIStatus() == "True") iEscStatusReplyKind = block.escReplyKind;
        countRepliesTakenByLink();
        interpretReply(block);
    }
}

ModelFacts DiagnosePrinterDlg::replyFacts() const {
    const std::string model = shell::ReadIniValue(shell::SettingsFilePath(), "Configurations", "Model");
    return {m_MainComm.PrinterType(), {std::string(printerlink::modelIdentifierForModelText(model))}};
}

void DiagnosePrinterDlg::interpretReply(const ReplyBlock& block) {
    const Bytes& data = block.bytes;
    const ModelFacts facts = replyFacts();
    int last = static_cast<int>(data.size()) - 1;
    // A USB HID report: its ID, its length byte and the bytes the length
    // announces, as far as they were delivered.
    if (m_MainComm.AHPIStatus() == "True" && last > 1 && data[0] == kInputReportId)
        last = std::min(data[1] + 1, last);
    dropRestOfReply_ = false;
    for (int i = 0; i <= last && !dropRestOfReply_; ++i) interpretByte(block, i, last, facts);
}

// One byte, by the first rule that applies. A byte that no rule takes is
// line noise or a reply nobody waits for, and is dropped: only a MICR read
// that was sent and is still awaited makes a byte the start of its reply.
void DiagnosePrinterDlg::interpretByte(const ReplyBlock& block, int i, int last, const ModelFacts& facts) {
    const std::uint8_t b = block.bytes[static_cast<std::size_t>(i)];
    const long type = m_MainComm.PrinterType();
    const bool slip = isOfClass(ModelClass::Slip, facts);
    if (isOfClass(ModelClass::Scan, facts) && ScanSession.m_bScanning) {
        m_iStatusReplyIndex = 0;
        m_iKioskReplyIndex = 0;
        HandleScanByte(b);
    } else if (slip && m_bMICRReading) {
        m_strMICRText += static_cast<char>(b);
        m_bMICRReading = b != kCarriageReturn;
        if (!m_bMICRReading) ProcessMICRReply(m_iMICRStatus);
    } else if (isGsEotReply(b)) {
        interpretGsEotReply(b, block.arrivedAt, facts);
    } else if (isDleEmReply(b)) {
        applyReply(m_iKioskReplyIndex == 0 ? Reply::DleEm1 : Reply::DleEm2, b, facts);
        m_iKioskReplyIndex = m_iKioskReplyIndex == 0 ? 1 : 0;
    } else if (micrReplyAwaited() && isSlipType(type) && !ScanSession.m_bScanning) {
        m_bMICRAwaited = false;
        m_iMICRStatus = b;
        m_bMICRReading = true;
        m_strMICRText.clear();
    } else if (isEscReply(b) && (m_MainComm.EthernetStatus() == "True" || m_MainComm.AHPIStatus() == "True" ||
                                 printerlink::bRestartSentOnLink)) {
        interpretEscReply(b, i, last);
    }
}

// A late answer to a real-time status request, or one to a request given up
// on, shows on no row: the poll's rows stay with their own replies.
void DiagnosePrinterDlg::interpretGsEotReply(std::uint8_t b, platform::Micros arrivedAt, const ModelFacts& facts) {
    const int row = expectedReplies_.take(arrivedAt);
    if (row < 0) return;
    m_iStatusReplyIndex = row;
    applyReply(static_cast<Reply>(static_cast<int>(Reply::GsEot1) + m_iStatusReplyIndex), b, facts);
    if (++m_iStatusReplyIndex >= (isSlipType(m_MainComm.PrinterType()) ? 5 : 4)) m_iStatusReplyIndex = 0;
}

void DiagnosePrinterDlg::countRepliesTakenByLink() {
    Bytes& taken = printerlink::statusHandshake.diagStatusAnswerBytes;
    if (!taken.empty()) noteAnswer();
    expectedReplies_.takenByLink(static_cast<std::size_t>(std::count_if(taken.begin(), taken.end(), isGsEotReply)),
                                 now());
    taken.clear();
}

void DiagnosePrinterDlg::interpretEscReply(std::uint8_t b, int i, int last) {
    const bool lan = m_MainComm.EthernetStatus() == "True";
    const bool usbOrRestarted = m_MainComm.AHPIStatus() == "True" || printerlink::bRestartSentOnLink;
    const ModelFacts none;
    if (iEscStatusReplyKind == kEscVReply) {
        if (usbOrRestarted)
            applyReply(last < 2 || i < 2 ? Reply::EscVUsbHeader : Reply::EscVUsb, b, none);
        else
            applyReply(Reply::EscVLan, b, none);
        if (lan) iEscStatusReplyKind = kEscUReply;
    } else if (iEscStatusReplyKind == kEscUReply) {
        applyReply(Reply::EscU, b, none);
        if (lan) iEscStatusReplyKind = kEscVReply;
    }
}

void DiagnosePrinterDlg::applyReply(Reply reply, std::uint8_t b, const ModelFacts& facts) {
    const bool slip = isOfClass(ModelClass::Slip, facts);
    for (const IndicatorEntry& entry : replyEntries(reply))
        if (!entry.slipOnly || slip)
            SetStatusIndicator(static_cast<std::uint8_t>(entry.index),
                               static_cast<std::uint8_t>(indicatorState(entry, b)));
}

}  // namespace diagnostics
