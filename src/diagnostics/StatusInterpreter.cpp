#include "diagnostics/StatusInterpreter.h"

#include <algorithm>
#include <utility>

#include "link/HidChannel.h"
#include "link/LinkFlags.h"
#include "link/StatusHandshake.h"

namespace diagnostics {

using platform::Bytes;
using printerlink::iEscStatusReplyKind;

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
// On USB HID the poll sets the expected reply kind just before each read, so
// a queued reply keeps the kind it was read under.
void StatusInterpreter::receive(const Bytes& ResponseData) {
    if (!ResponseData.empty()) host_.printerAnswered();
    pendingReplies_.push_back({ResponseData, iEscStatusReplyKind, host_.timeNow()});
    if (interpreting_) return;
    interpreting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{interpreting_};
    while (!pendingReplies_.empty()) {
        const ReplyBlock block = std::move(pendingReplies_.front());
        pendingReplies_.pop_front();
        if (host_.usbLink()) iEscStatusReplyKind = block.escReplyKind;
        countRepliesTakenByLink();
        interpretReply(block);
    }
}

ModelFacts StatusInterpreter::replyFacts() const { return {host_.printerType(), {modelIdentifier_}}; }

void StatusInterpreter::interpretReply(const ReplyBlock& block) {
    const Bytes& data = block.bytes;
    const ModelFacts facts = replyFacts();
    int last = static_cast<int>(data.size()) - 1;
    // A USB HID report: its ID and its length byte are read as the rules
    // say, and then the bytes the length announces.
    if (host_.usbLink() && last > 1 && data[0] == printerlink::kHidInputReportId)
        last = static_cast<int>(printerlink::hidReportDataEnd(data)) - 1;
    dropRestOfReply_ = false;
    for (int i = 0; i <= last && !dropRestOfReply_; ++i) interpretByte(block, i, last, facts);
}

// One byte, by the first rule that applies. A byte that no rule takes is
// line noise or a reply nobody waits for, and is dropped: only a MICR read
// that was sent and is still awaited makes a byte the start of its reply.
void StatusInterpreter::interpretByte(const ReplyBlock& block, int i, int last, const ModelFacts& facts) {
    const std::uint8_t b = block.bytes[static_cast<std::size_t>(i)];
    const long type = host_.printerType();
    const bool slip = isOfClass(ModelClass::Slip, facts);
    if (m_bMICRReading && block.arrivedAt > micrReplyEndsBy_) dropMicrReply();
    if (isOfClass(ModelClass::Scan, facts) && host_.scanRunning()) {
        resetRows();
        host_.scanByte(b);
    } else if (slip && m_bMICRReading) {
        m_strMICRText += static_cast<char>(b);
        m_bMICRReading = b != kCarriageReturn;
        if (!m_bMICRReading) host_.micrReplyRead(m_iMICRStatus);
    } else if (isGsEotReply(b)) {
        interpretGsEotReply(b, block.arrivedAt, facts);
    } else if (isDleEmReply(b)) {
        const int row = kioskReplies_.take(block.arrivedAt);
        if (row < 0) return;
        m_iKioskReplyIndex = row;
        applyReply(row == 0 ? Reply::DleEm1 : Reply::DleEm2, b, facts);
    } else if (isSlipType(type) && !host_.scanRunning() && micrReplyAwaited()) {
        micrAwaits_.pop_front();
        m_iMICRStatus = b;
        m_bMICRReading = true;
        m_strMICRText.clear();
        micrReplyEndsBy_ = block.arrivedAt + kMICRReplyTime;
    } else if (isEscReply(b) && (host_.lanLink() || host_.usbLink() || printerlink::bRestartSentOnLink)) {
        interpretEscReply(b, i, last);
    }
}

void StatusInterpreter::interpretGsEotReply(std::uint8_t b, platform::Micros arrivedAt) {
    interpretGsEotReply(b, arrivedAt, replyFacts());
}

// A late answer to a real-time status request, or one to a request given up
// on, shows on no row: the poll's rows stay with their own replies.
void StatusInterpreter::interpretGsEotReply(std::uint8_t b, platform::Micros arrivedAt, const ModelFacts& facts) {
    const int row = expectedReplies_.take(arrivedAt);
    if (row < 0) return;
    m_iStatusReplyIndex = row;
    applyReply(static_cast<Reply>(static_cast<int>(Reply::GsEot1) + m_iStatusReplyIndex), b, facts);
}

void StatusInterpreter::countRepliesTakenByLink() {
    Bytes& taken = printerlink::statusHandshake.diagStatusAnswerBytes;
    if (!taken.empty()) host_.printerAnswered();
    expectedReplies_.takenByLink(static_cast<std::size_t>(std::count_if(taken.begin(), taken.end(), isGsEotReply)),
                                 host_.timeNow());
    taken.clear();
}

void StatusInterpreter::interpretEscReply(std::uint8_t b, int i, int last) {
    const bool lan = host_.lanLink();
    const bool usbOrRestarted = host_.usbLink() || printerlink::bRestartSentOnLink;
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

void StatusInterpreter::applyReply(Reply reply, std::uint8_t b, const ModelFacts& facts) {
    const bool slip = isOfClass(ModelClass::Slip, facts);
    for (const IndicatorEntry& entry : replyEntries(reply))
        if (!entry.slipOnly || slip)
            host_.showIndicator(static_cast<std::uint8_t>(entry.index),
                                static_cast<std::uint8_t>(indicatorState(entry, b)));
}

void StatusInterpreter::resetRows() {
    m_iStatusReplyIndex = 0;
    m_iKioskReplyIndex = 0;
}

void StatusInterpreter::expectPoll(int rows) { expectedReplies_.expectPoll(rows, host_.timeNow()); }

void StatusInterpreter::expectKioskStatus(int firstRow, int rows) {
    kioskReplies_.expectPoll(rows, host_.timeNow(), firstRow);
}

// Its answer has the form of a poll's reply and comes in turn with them.
void StatusInterpreter::expectRealTimeStatus() {
    countRepliesTakenByLink();
    expectedReplies_.expectRealTimeStatus(host_.timeNow());
}

std::size_t StatusInterpreter::repliesOwedNow() {
    countRepliesTakenByLink();
    return expectedReplies_.openAt(host_.timeNow());
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
