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

namespace {
constexpr int kReadAnswersSleepMs = 20;
}  // namespace

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

// A USB HID printer's answer waits in its input report until read; the
// door knows which items are still owed, by the code that leads the answer.
// Only the reports already there are read: a read that waited for each
// request's answer would hold the window for its whole bound per request
// while a printer is late (a read is some twenty requests), and the answers
// still owed are read afterwards with events served (readLateHidReplies).
bool ViewTallyDlg::RequestIdItem(std::uint8_t code) {
    readAsked_.push_back(code);
    lastReadAskedAt_ = platform::EventLoop::current().clock().now();
    if (m_MainComm.m_lngHIDHandle <= 0) return sendCommand(printerlink::IdItemCommand(code));
    bool sent = false;
    doorPass_.door().askKeyed(doorPass_.owner(), printerlink::ReplyForm::IdItem, code, [&] {
        sent = sendCommand(printerlink::IdItemCommand(code));
        return sent;
    });
    m_MainComm.readQueuedHidReports();
    return sent;
}

// The reports already queued are read between rounds that serve events, so
// the window is painted, takes keys and runs its timer while the printer is
// late; a blocking read would hold it for the read's whole bound each time.
// A window closed meanwhile wants nothing more read. The wait counts from
// the first request still owed, not from the last: an item the printer never
// answers holds the window no longer than the link waits for any reply.
void ViewTallyDlg::readLateHidReplies() {
    if (m_MainComm.m_lngHIDHandle <= 0) return;
    doorPass_.door().awaitAnswers(doorPass_.owner(), printerlink::ReplyForm::IdItem,
                                  platform::Micros(printerlink::kReplyWaitMs) * 1000);
}

// The printer answers in order: a write or a clear sent while answers to a
// read are on their way is followed by them, and they carry the value from
// before it (a cleared count back in its box, or a written one that the
// next Apply would write back over the new). A printer that never answers
// an item holds the write no longer than the link waits for any reply.
bool ViewTallyDlg::awaitReadAnswers() {
    const auto whole = [this](std::uint8_t code) {
        const long type = m_MainComm.PrinterType();
        for (int item : kIdReadOrder)
            if (IdItemCode(item, IdItemOp::Read) == code)
                return m_strIdValues[static_cast<std::size_t>(item)].size() >=
                       static_cast<std::size_t>(IdItemReplyLength(item));
        for (int i = 0; i < kTallyCount; ++i)
            if (TallyReplyMarker(i, m_MainComm.bKiosk, type) == code)
                return m_strTallyValues[static_cast<std::size_t>(i)].size() >=
                       static_cast<std::size_t>(kTallyReplyLength);
        return true;  // no box shows its answer
    };
    const platform::Micros until = lastReadAskedAt_ + platform::Micros(printerlink::kReplyWaitMs) * 1000;
    while (isLoaded() && platform::EventLoop::current().clock().now() < until &&
           !std::all_of(readAsked_.begin(), readAsked_.end(), whole)) {
        platform::DoEvents();
        platform::Sleep(kReadAnswersSleepMs);
    }
    readAsked_.clear();
    return isLoaded();
}

void ViewTallyDlg::noteHidReply(const platform::Bytes& report) {
    constexpr std::size_t kLeadBytes = 3;
    const std::size_t end = printerlink::hidReportDataEnd(report);
    const platform::Micros now = platform::EventLoop::current().clock().now();
    for (std::size_t i = printerlink::kHidReportHeaderBytes; i < end && i < printerlink::kHidReportHeaderBytes + kLeadBytes;
         ++i)
        if (doorPass_.door().takeKeyed(printerlink::ReplyForm::IdItem, report[i], now)) return;
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
