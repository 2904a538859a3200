#include "diagnostics/StatusInterpreter.h"

#include <algorithm>
#include <utility>

#include "link/HidChannel.h"
#include "link/LinkFlags.h"

namespace diagnostics {

using platform::Bytes;

namespace {

constexpr std::uint8_t kCarriageReturn = 13;
// A whole MICR reply takes well under this from its status byte; one that
// has not ended by then was cut short, and what follows it is no MICR text.
constexpr platform::Micros kMICRReplyTime = 1'000'000;

}  // namespace

StatusInterpreter::StatusInterpreter(Host& host, std::string modelIdentifier)
    : host_(host), modelIdentifier_(std::move(modelIdentifier)) {}

// Bytes that arrive while the interpreter is busy (it runs inside sends and
// message boxes) wait their turn, so every byte is read once and in order.
void StatusInterpreter::receive(const Bytes& ResponseData) {
    if (!ResponseData.empty()) host_.printerAnswered();
    pendingReplies_.push_back({ResponseData, host_.timeNow()});
    if (interpreting_) return;
    interpreting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{interpreting_};
    while (!pendingReplies_.empty()) {
        const ReplyBlock block = std::move(pendingReplies_.front());
        pendingReplies_.pop_front();
        interpretReply(block);
    }
    interpreting_ = false;
    // A MICR result is told once the bytes in hand are read: its receipt and
    // message run the loop for as long as the technician reads it, and the
    // replies that come meanwhile are read as they come, not held back
    // until their requests are given up.
    while (!micrResults_.empty()) {
        MicrResult result = std::move(micrResults_.front());
        micrResults_.pop_front();
        m_strMICRText = std::move(result.text);
        host_.micrReplyRead(result.status);
    }
}

ModelFacts StatusInterpreter::replyFacts() const { return {host_.printerType(), {modelIdentifier_}}; }

void StatusInterpreter::interpretReply(const ReplyBlock& block) {
    const Bytes& data = block.bytes;
    const ModelFacts facts = replyFacts();
    int last = static_cast<int>(data.size()) - 1;
    int hidEscReply = kNoEscReply;
    // A USB HID report: its ID and its length byte are read as the rules
    // say, and then the bytes the length announces.
    if (host_.usbLink() && !data.empty() && data[0] == printerlink::kHidInputReportId && !host_.scanRunning()) {
        if (last > 1) last = static_cast<int>(printerlink::hidReportDataEnd(data)) - 1;
        hidEscReply = hidReportEscReply(data, block.arrivedAt);
    }
    dropRestOfReply_ = false;
    for (int i = 0; i <= last && !dropRestOfReply_; ++i) interpretByte(block, i, last, hidEscReply, facts);
}

// The report reaches the window cut at its first zero byte, so a report
// that ends before its status byte had a status byte of 0: an ESC reply.
int StatusInterpreter::hidReportEscReply(const Bytes& report, platform::Micros arrivedAt) {
    const std::uint8_t status =
        report.size() > printerlink::kHidReportHeaderBytes ? report[printerlink::kHidReportHeaderBytes] : 0;
    if (!isEscReply(status)) return kNoEscReply;
    const int row = escReplies_.take(arrivedAt);
    return row < 0 ? kNoEscReply : row;
}

// One byte, by the first rule that applies. A byte that no rule takes is
// line noise or a reply nobody waits for, and is dropped: only a MICR read
// that was sent and is still awaited makes a byte the start of its reply.
void StatusInterpreter::interpretByte(const ReplyBlock& block, int i, int last, int hidEscReply,
                                      const ModelFacts& facts) {
    const std::uint8_t b = block.bytes[static_cast<std::size_t>(i)];
    const long type = host_.printerType();
    const bool slip = isOfClass(ModelClass::Slip, facts);
    if (m_bMICRReading && block.arrivedAt > micrReplyEndsBy_) dropMicrReply();
    if (isOfClass(ModelClass::Scan, facts) && host_.scanRunning()) {
        host_.scanByte(b);
    } else if (slip && m_bMICRReading) {
        m_strMICRText += static_cast<char>(b);
        m_bMICRReading = b != kCarriageReturn;
        if (!m_bMICRReading) micrResults_.push_back({m_iMICRStatus, m_strMICRText});
    } else if (isGsEotReply(b)) {
        interpretGsEotReply(b, block.arrivedAt, facts);
    } else if (isDleEmReply(b)) {
        const int row = kioskReplies_.take(block.arrivedAt);
        if (row >= 0) applyReply(row == 0 ? Reply::DleEm1 : Reply::DleEm2, b, facts);
    } else if (isSlipType(type) && !host_.scanRunning() && micrReplyAwaited()) {
        micrAwaits_.pop_front();
        m_iMICRStatus = b;
        m_bMICRReading = true;
        m_strMICRText.clear();
        micrReplyEndsBy_ = block.arrivedAt + kMICRReplyTime;
    } else if (isEscReply(b) && host_.usbLink()) {
        if (hidEscReply != kNoEscReply) interpretEscReply(b, hidEscReply, i, last);
    } else if (isEscReply(b) && host_.lanLink()) {
        const int row = escReplies_.take(block.arrivedAt);
        if (row >= 0) interpretEscReply(b, row, i, last);
    }
}

// A late answer to a request given up on shows on no row, nor does the
// answer to the real-time status request, which tells the window the
// printer is there.
void StatusInterpreter::interpretGsEotReply(std::uint8_t b, platform::Micros arrivedAt, const ModelFacts& facts) {
    const int row = expectedReplies_.take(arrivedAt);
    if (row == ExpectedReplies::kRealTimeStatus) host_.realTimeStatusAnswered(b);
    if (row < 0) return;
    applyReply(static_cast<Reply>(static_cast<int>(Reply::GsEot1) + row), b, facts);
}

// After a restart the reply comes as a USB HID printer's does, its first two
// bytes read as a report's header.
void StatusInterpreter::interpretEscReply(std::uint8_t b, int kind, int i, int last) {
    const ModelFacts none;
    if (kind == kEscUReply)
        applyReply(Reply::EscU, b, none);
    else if (host_.usbLink() || printerlink::bRestartSentOnLink)
        applyReply(last < 2 || i < 2 ? Reply::EscVUsbHeader : Reply::EscVUsb, b, none);
    else
        applyReply(Reply::EscVLan, b, none);
}

void StatusInterpreter::applyReply(Reply reply, std::uint8_t b, const ModelFacts& facts) {
    const bool slip = isOfClass(ModelClass::Slip, facts);
    for (const IndicatorEntry& entry : replyEntries(reply))
        if (!entry.slipOnly || slip)
            host_.showIndicator(static_cast<std::uint8_t>(entry.index),
                                static_cast<std::uint8_t>(indicatorState(entry, b)));
}

void StatusInterpreter::expectPoll(int rows) { expectedReplies_.expectPoll(rows, host_.timeNow()); }

void StatusInterpreter::expectKioskStatus(int firstRow, int rows) {
    kioskReplies_.expectPoll(rows, host_.timeNow(), firstRow);
}

void StatusInterpreter::expectEscStatus(int firstRow, int rows) {
    escReplies_.expectPoll(rows, host_.timeNow(), firstRow);
}

// Its answer has the form of a poll's reply and comes in turn with them.
void StatusInterpreter::expectRealTimeStatus() { expectedReplies_.expectRealTimeStatus(host_.timeNow()); }

bool StatusInterpreter::owesStatusReplies() {
    const platform::Micros now = host_.timeNow();
    const bool gsEot = expectedReplies_.owes(now);
    return escReplies_.owes(now) || gsEot;
}

bool StatusInterpreter::owesKioskReplies() { return kioskReplies_.owes(host_.timeNow()); }

bool StatusInterpreter::owesReplies() {
    const bool status = owesStatusReplies(), kiosk = owesKioskReplies();
    const bool micrBegun = m_bMICRReading && host_.timeNow() <= micrReplyEndsBy_;
    return status || kiosk || micrBegun || micrReplyAwaited();
}

void StatusInterpreter::dropRestOfReply() { dropRestOfReply_ = true; }

void StatusInterpreter::dropQueuedReplies() { pendingReplies_.clear(); }

// The reply may begin while the commands still go out; its time counts from
// when they have.
StatusInterpreter::MicrRead StatusInterpreter::awaitMicrReply() {
    const MicrRead read = nextMicrRead_++;
    micrAwaits_.push_back({read, platform::kForever});
    return read;
}

void StatusInterpreter::awaitMicrUntil(MicrRead read, platform::Micros deadline) {
    for (MicrAwait& await : micrAwaits_)
        if (await.read == read) await.until = deadline;
}

bool StatusInterpreter::micrReplyAwaited(MicrRead read) const {
    return std::any_of(micrAwaits_.begin(), micrAwaits_.end(), [&](const MicrAwait& a) {
        return a.read == read && host_.timeNow() <= a.until;
    });
}

void StatusInterpreter::stopAwaitingMicrReply(MicrRead read) {
    std::erase_if(micrAwaits_, [&](const MicrAwait& a) { return a.read == read; });
}

// Bytes held back by a blocking wait arrive only after it: the reply they
// continue has its time from then.
void StatusInterpreter::micrReplyHeldUntilNow() {
    if (m_bMICRReading) micrReplyEndsBy_ = std::max(micrReplyEndsBy_, host_.timeNow() + kMICRReplyTime);
}

// Nothing is shown or printed for a cut reply.
void StatusInterpreter::dropMicrReply() {
    m_bMICRReading = false;
    m_strMICRText.clear();
}

// Reads whose reply had its time are not awaited any more; a reply that
// begins now is the oldest read's that still is.
bool StatusInterpreter::micrReplyAwaited() {
    const platform::Micros now = host_.timeNow();
    std::erase_if(micrAwaits_, [&](const MicrAwait& a) { return now > a.until; });
    return !micrAwaits_.empty();
}

}  // namespace diagnostics
