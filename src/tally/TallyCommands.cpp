// The window's senders: each builds its command and hands it to the link,
// which frames it on a USB HID link exactly once whatever its length, and
// gives back what the link's send returned for its last send.
#include <algorithm>

#include "link/HidChannel.h"
#include "link/PrinterCommands.h"
#include "platform/loop/EventLoop.h"
#include "shell/TypeDefinition.h"
#include "tally/ViewTallyDlg.h"

namespace tally {

bool ViewTallyDlg::sendCommand(platform::Bytes command) {
    if (operationSends_.stopped()) return false;
    return m_MainComm.SendOutputFramed(command);
}

bool ViewTallyDlg::InitializePrinter() { return sendCommand(printerlink::InitializeCommand); }

bool ViewTallyDlg::SetAutoStatusBack(bool enable) {
    std::uint8_t n = 0x00;
    if (enable) n = m_MainComm.PrinterType() == printerlink::kM27xType ? 0x0F : 0x2F;
    return sendCommand(printerlink::AutoStatusBackCommand(n));
}

bool ViewTallyDlg::RequestIdItem(std::uint8_t code) {
    const bool sent = sendCommand(printerlink::IdItemCommand(code));
    // A USB HID printer's answer waits in its input report until read.
    if (m_MainComm.m_lngHIDHandle > 0) {
        if (sent && hidRepliesOwed_.empty()) hidRepliesOwedSince_ = platform::EventLoop::current().clock().now();
        if (sent) hidRepliesOwed_.push_back(code);
        m_MainComm.fncReadHIDData();
    }
    return sent;
}

// The reports already queued are read between rounds that serve events, so
// the window is painted, takes keys and runs its timer while the printer is
// late; a blocking read would hold it for the read's whole bound each time.
// A window closed meanwhile wants nothing more read. The wait counts from
// the first request owed since nothing was, not from the last request: an
// item the printer never answers holds the window no longer than the link
// waits for any reply.
void ViewTallyDlg::readLateHidReplies() {
    constexpr int kRoundSleepMs = 10;
    platform::Clock& clock = platform::EventLoop::current().clock();
    const platform::Micros deadline = hidRepliesOwedSince_ + platform::Micros(printerlink::kReplyWaitMs) * 1000;
    const auto over = [&] {
        return hidRepliesOwed_.empty() || m_MainComm.m_lngHIDHandle <= 0 || !isLoaded() || clock.now() >= deadline;
    };
    shell::waitRounds(printerlink::kReplyWaitMs / kRoundSleepMs, kRoundSleepMs, [&] {
        if (!over()) m_MainComm.readQueuedHidReports();
        return over();
    });
    hidRepliesOwed_.clear();
}

void ViewTallyDlg::noteHidReply(const platform::Bytes& report) {
    constexpr std::size_t kLeadBytes = 3;
    const std::size_t end = printerlink::hidReportDataEnd(report);
    for (std::size_t i = printerlink::kHidReportHeaderBytes; i < end && i < printerlink::kHidReportHeaderBytes + kLeadBytes;
         ++i) {
        const auto owed = std::find(hidRepliesOwed_.begin(), hidRepliesOwed_.end(), report[i]);
        if (owed == hidRepliesOwed_.end()) continue;
        hidRepliesOwed_.erase(owed);
        return;
    }
}

bool ViewTallyDlg::WriteIdItem(std::uint8_t code, const std::string& text) {
    platform::Bytes command = printerlink::IdItemCommand(code);
    if (m_MainComm.m_lngHIDHandle > 0) {
        const platform::Bytes data = m_MainComm.UnicodeStringToBytes(text);
        command.insert(command.end(), data.begin(), data.end());
        return sendCommand(command);
    }
    if (operationSends_.stopped()) return false;
    const bool sent = m_MainComm.SendOutput(command);
    if (text.empty() || !sent) return sent;
    return m_MainComm.SendOutput(text);
}

void ViewTallyDlg::PrintTextLine(const std::string& text, bool receiptStation, bool wrap, bool font) {
    std::string line = text;
    if (wrap) line = shell::WrapAtSpace(line, shell::GetColumnsPerLine(receiptStation, font));
    line += "\r\n";
    if (m_MainComm.m_lngHIDHandle > 0)
        sendCommand(m_MainComm.UnicodeStringToBytes(line));
    else if (!operationSends_.stopped())
        m_MainComm.SendOutput(line);
}

bool ViewTallyDlg::sendChecked(const std::function<void()>& sends) {
    if (operationSends_.run(sends)) return true;
    showOffline();
    return false;
}

void ViewTallyDlg::FeedAndCut(int lines) {
    sendCommand(printerlink::FeedLinesCommand(static_cast<std::uint8_t>(lines)));
    sendCommand(printerlink::CutPaperCommand);
}

}  // namespace tally
