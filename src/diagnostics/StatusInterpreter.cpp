#include "diagnostics/StatusInterpreter.h"

#include <algorithm>
#include <utility>

#include "link/HidChannel.h"
#include "link/LinkFlags.h"

namespace diagnostics {

using platform::Bytes;
using printerlink::ReplyForm;
using printerlink::RequestDoor;

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
    RequestDoor::Answer hidEsc;
    // A USB HID report: its ID and its length byte are read as the rules
    // say, and then the bytes the length announces.
    if (host_.usbLink() && !data.empty() && data[0] == printerlink::kHidInputReportId && !host_.scanRunning()) {
        if (last > 1) last = static_cast<int>(printerlink::hidReportDataEnd(data)) - 1;
        hidEsc = hidReportEscAnswer(data, block.arrivedAt);
    }
    dropRestOfReply_ = false;
    for (int i = 0; i <= last && !dropRestOfReply_; ++i) interpretByte(block, i, last, hidEsc, facts);
    // The report's bytes are one answer: the set is whole once all are read.
    if (hidEsc.owner != 0 && hidEsc.last) showWholeSample(ReplyForm::Esc, hidEsc.ticket, facts);
}

RequestDoor::Answer StatusInterpreter::take(ReplyForm form, platform::Micros arrivedAt) {
    RequestDoor::Answer answer = host_.requestDoor().take({form, arrivedAt});
    if (answer.owner != host_.doorOwner()) answer.owner = 0;
    return answer;
}

// The report reaches the window cut at its first zero byte, so a report
// that ends before its status byte had a status byte of 0: an ESC reply.
RequestDoor::Answer StatusInterpreter::hidReportEscAnswer(const Bytes& report, platform::Micros arrivedAt) {
    const std::uint8_t status =
        report.size() > printerlink::kHidReportHeaderBytes ? report[printerlink::kHidReportHeaderBytes] : 0;
    if (!isEscReply(status)) return {};
    RequestDoor::Answer answer = take(ReplyForm::Esc, arrivedAt);
    if (answer.owner != 0 && answer.tag == printerlink::kOwnRequest) host_.ownReplyRead(answer, status);
    if (answer.tag != printerlink::kPollSet) answer.owner = 0;
    return answer;
}

// One byte, by the first rule that applies. A byte that no rule takes is
// line noise or a reply nobody waits for, and is dropped: only a MICR read
// that was sent and is still awaited makes a byte the start of its reply.
void StatusInterpreter::interpretByte(const ReplyBlock& block, int i, int last, const RequestDoor::Answer& hidEsc,
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
        const RequestDoor::Answer answer = take(ReplyForm::Kiosk, block.arrivedAt);
        if (answer.owner != 0 && answer.tag == printerlink::kPollSet)
            addToSample(ReplyForm::Kiosk, answer, answer.row == 0 ? Reply::DleEm1 : Reply::DleEm2, b, facts);
    } else if (isSlipType(type) && !host_.scanRunning() && isEscReply(b) && micrReplyAwaited()) {
        // A MICR status has an ESC answer's form, and no other byte starts
        // the reply. One that may be a late ESC answer is read past; the
        // read stays awaited at the door.
        if (take(ReplyForm::Esc, block.arrivedAt).whose() == RequestDoor::Whose::Late) return;
        m_iMICRStatus = b;
        m_bMICRReading = true;
        m_strMICRText.clear();
        micrReplyEndsBy_ = block.arrivedAt + kMICRReplyTime;
    } else if (isEscReply(b) && host_.usbLink()) {
        // The report is one answer: its set may be whole once all its bytes are read.
        if (hidEsc.owner != 0) addToSample(ReplyForm::Esc, hidEsc, escReply(hidEsc.row, i, last), b, facts, false);
    } else if (isEscReply(b)) {
        // On serial too: a late ESC answer nobody awaits uses its mark up.
        const RequestDoor::Answer answer = take(ReplyForm::Esc, block.arrivedAt);
        if (answer.owner == 0) return;
        if (answer.tag == printerlink::kOwnRequest)
            host_.ownReplyRead(answer, b);
        else if (answer.tag == printerlink::kPollSet)
            addToSample(ReplyForm::Esc, answer, escReply(answer.row, i, last), b, facts);
    }
}

// A late answer to a request given up on shows on no row, nor does the
// answer to the real-time status request, which tells the window the
// printer is there.
void StatusInterpreter::interpretGsEotReply(std::uint8_t b, platform::Micros arrivedAt, const ModelFacts& facts) {
    const RequestDoor::Answer answer = take(ReplyForm::Status, arrivedAt);
    if (answer.owner == 0) return;
    if (answer.tag == printerlink::kRealTimeStatus)
        host_.realTimeStatusAnswered();
    else if (answer.tag == printerlink::kOwnRequest)
        host_.ownReplyRead(answer, b);
    else
        addToSample(ReplyForm::Status, answer, static_cast<Reply>(static_cast<int>(Reply::GsEot1) + answer.row), b,
                    facts);
}

// A newer set's reply drops what an older one left unfinished: that set
// lost a reply, or had it given up.
void StatusInterpreter::addToSample(ReplyForm form, const RequestDoor::Answer& answer, Reply reply, std::uint8_t b,
                                    const ModelFacts& facts, bool showWhenLast) {
    Sample& sample = samples_[static_cast<std::size_t>(form)];
    if (sample.ticket != answer.ticket) sample = Sample{answer.ticket, {}, false};
    sample.maybeLate = sample.maybeLate || answer.whose() == RequestDoor::Whose::Late;
    sample.replies.emplace_back(reply, b);
    if (showWhenLast && answer.last) showWholeSample(form, answer.ticket, facts);
}

void StatusInterpreter::showWholeSample(ReplyForm form, RequestDoor::Ticket ticket, const ModelFacts& facts) {
    Sample& sample = samples_[static_cast<std::size_t>(form)];
    const Sample whole = std::exchange(sample, Sample{});
    if (whole.ticket == ticket && !whole.maybeLate)
        for (const auto& [reply, b] : whole.replies) applyReply(reply, b, facts);
}

// After a restart the reply comes as a USB HID printer's does, its first two
// bytes read as a report's header.
Reply StatusInterpreter::escReply(int kind, int i, int last) const {
    if (kind == kEscUReply) return Reply::EscU;
    if (host_.usbLink() || printerlink::bRestartSentOnLink)
        return last < 2 || i < 2 ? Reply::EscVUsbHeader : Reply::EscVUsb;
    return Reply::EscVLan;
}

void StatusInterpreter::applyReply(Reply reply, std::uint8_t b, const ModelFacts& facts) {
    const bool slip = isOfClass(ModelClass::Slip, facts);
    // An ESC reply's rules know nothing of the model.
    const bool esc = reply == Reply::EscU || reply == Reply::EscVLan || reply == Reply::EscVUsb ||
                     reply == Reply::EscVUsbHeader;
    for (const IndicatorEntry& entry : replyEntries(reply))
        if (!entry.slipOnly || (!esc && slip))
            host_.showIndicator(static_cast<std::uint8_t>(entry.index),
                                static_cast<std::uint8_t>(indicatorState(entry, b)));
}

bool StatusInterpreter::micrReplyPending() { return m_bMICRReading && host_.timeNow() <= micrReplyEndsBy_; }

void StatusInterpreter::dropRestOfReply() { dropRestOfReply_ = true; }

void StatusInterpreter::dropQueuedReplies() { pendingReplies_.clear(); }

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

bool StatusInterpreter::micrReplyAwaited() {
    return host_.requestDoor().nextIs(ReplyForm::Esc, host_.doorOwner(), printerlink::kMicrRead);
}

}  // namespace diagnostics
