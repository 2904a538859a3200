// The window's senders: each builds its command and hands it to the link,
// which frames it on a USB HID link exactly once whatever its length, and
// gives back what the link's send returned for its last send.
#include "link/HidChannel.h"
#include "link/PrinterCommands.h"
#include "link/PrinterTypes.h"
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

// Every read is asked at the link's door, keyed by its code: the printer
// answers in order, and a write or a clear sent before the answers came
// would be followed by them (awaitReadAnswers). On USB HID each read waits
// at the door for its report, as long as one device read (150 ms) from the
// oldest answer still owed, with events served: an item the printer leaves
// unanswered costs no more, and a silent printer holds the window no
// longer than that. A late printer's answers queue on the device and are
// read by the next requests' waits, and those still owed at the end with
// events served (awaitReadAnswers). On serial and TCP an answer no box
// shows is never found whole, so nothing waits for it.
bool ViewTallyDlg::RequestIdItem(std::uint8_t code) {
    const bool hid = m_MainComm.m_lngHIDHandle > 0;
    auto& door = doorPass_.door();
    const auto ticket = door.askKeyed(doorPass_.owner(), printerlink::ReplyForm::IdItem, code,
                                      [&] { return sendCommand(printerlink::IdItemCommand(code)); });
    if (hid && ticket != 0)
        door.awaitAnswers(doorPass_.owner(), printerlink::ReplyForm::IdItem, kHidReportReadMicros);
    else if (!hid && ticket != 0 && !boxShows(code))
        door.release(ticket);
    else if (!hid && ticket != 0)
        readTickets_[code] = ticket;
    return ticket != 0;
}

// Asked from the loop, not from the data handler that found it: a send
// yields, and input handled inside it would be cut out of turn.
void ViewTallyDlg::askReadAgain(std::uint8_t code) {
    const auto found = readTickets_.find(code);
    if (found == readTickets_.end() || !doorPass_.door().open(found->second)) return;
    platform::EventLoop::current().post([weak = weak_from_this(), code, ticket = found->second] {
        const auto self = std::static_pointer_cast<ViewTallyDlg>(weak.lock());
        if (!self || !self->isLoaded()) return;
        self->doorPass_.door().askAgain(ticket, [&] { return self->sendCommand(printerlink::IdItemCommand(code)); });
    });
}

// The printer answers in order: a write or a clear sent while answers to a
// read are on their way is followed by them, and they carry the value from
// before it (a cleared count back in its box, or a written one that the
// next Apply would write back over the new). The wait serves events, so the
// window is painted, takes keys and runs its timer while the printer is
// late; a window closed meanwhile wants nothing more. It counts from the
// first request still owed, not from the last: an item the printer never
// answers holds the window no longer than the link waits for any reply.
bool ViewTallyDlg::awaitReadAnswers() {
    doorPass_.door().awaitAnswers(doorPass_.owner(), printerlink::ReplyForm::IdItem,
                                  platform::Micros(printerlink::kReplyWaitMs) * 1000);
    return isLoaded();
}

std::optional<std::uint8_t> ViewTallyDlg::noteHidReply(const platform::Bytes& report) {
    const std::size_t end = printerlink::hidReportDataEnd(report);
    const platform::Micros now = platform::EventLoop::current().clock().now();
    auto& door = doorPass_.door();
    // A clear's answer: one byte of its form, while the window's clear is
    // the next request of that form.
    const std::size_t data = printerlink::kHidReportHeaderBytes;
    if (end == data + 1 && printerlink::isEscReply(report[data]) &&
        door.nextIs(printerlink::ReplyForm::Esc, doorPass_.owner(), printerlink::kOwnRequest)) {
        door.take({printerlink::ReplyForm::Esc, now});
        return std::nullopt;
    }
    // A reply's code stands first; on types 9 and 15 the flash part
    // number's stands after its lead bytes, whatever they are, and nowhere
    // else. The first byte goes first: a printer that left the part number
    // out answers the next read, whose text may hold that code third.
    const std::uint8_t flashPart = IdItemCode(kFlashPartNumber, IdItemOp::Read);
    const bool leadBytes = printerlink::is3720Type(m_MainComm.PrinterType());
    for (std::size_t i : {data, data + kFlashPartLeadBytes}) {
        if (i >= end) break;
        if (i == data ? misplacedFlashPartCode(report[i], 0) : !leadBytes || report[i] != flashPart) continue;
        const auto answer = door.take({printerlink::ReplyForm::IdItem, now, report[i]});
        if (answer.ticket != 0)
            return answer.owner == doorPass_.owner() ? std::optional<std::uint8_t>(report[i]) : std::nullopt;
    }
    return std::nullopt;
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
