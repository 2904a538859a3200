#include "printer-sim/SimPrinter.h"

#include <algorithm>

#include "printer-sim/HidReports.h"

namespace sim {

using platform::Bytes;

SimPrinter::SimPrinter(SimScheduler& scheduler, SimConfig config)
    : scheduler_(scheduler), config_(std::move(config)) {
    addTallyCommands(*this);
    addStandardCommands(*this);
}

std::function<std::string(const Bytes&)> commandName(std::string name, std::size_t arguments) {
    return [name = std::move(name), arguments](const Bytes& command) {
        std::string text = name;
        for (std::size_t i = command.size() - std::min(arguments, command.size()); i < command.size(); ++i) {
            text += ' ';
            text += std::to_string(command[i]);
        }
        return text;
    };
}

void SimPrinter::addCommand(SimCommand command) { commands_.insert(commands_.begin(), std::move(command)); }

void SimPrinter::setReply(const Bytes& command, Bytes answer) { replies_[platform::toText(command)] = std::move(answer); }

void SimPrinter::record(SimLogEntry entry) {
    log_.push_back(std::move(entry));
    if (onLog) onLog(log_.back());
}

void SimPrinter::receive(const Bytes& chunk) {
    if (chunk.empty()) return;
    SimLogEntry entry;
    entry.at = scheduler_.now();
    entry.raw = chunk;
    if (linkUp_) {
        pending_.insert(pending_.end(), chunk.begin(), chunk.end());
        parse(entry);
    }
    record(std::move(entry));
}

void SimPrinter::receiveReport(const Bytes& report) {
    SimLogEntry entry;
    entry.at = scheduler_.now();
    entry.hidReport = true;
    entry.raw = report;
    const OutputReport decoded = decodeOutputReport(report);
    entry.framing = framingName(decoded.framing);
    if (linkUp_ && decoded.framing != OutputReport::Framing::Unframed) {
        pending_.insert(pending_.end(), decoded.data.begin(), decoded.data.end());
        parse(entry);
    }
    record(std::move(entry));
}

namespace {
// Whether the bytes start with the pattern (Full), are a proper beginning of
// it (Partial), or neither.
enum class Match { None, Partial, Full };
Match matchPattern(const std::vector<int>& pattern, const Bytes& bytes) {
    const std::size_t n = std::min(pattern.size(), bytes.size());
    for (std::size_t i = 0; i < n; ++i)
        if (pattern[i] != kAnyByte && pattern[i] != bytes[i]) return Match::None;
    return bytes.size() >= pattern.size() ? Match::Full : Match::Partial;
}
}  // namespace

const SimCommand* SimPrinter::match(std::size_t& length, bool& needMore) const {
    for (const SimCommand& command : commands_) {
        const Match m = matchPattern(command.pattern, pending_);
        if (m == Match::Partial) needMore = true;
        if (m != Match::Full) continue;
        length = command.length ? command.length(pending_) : command.pattern.size();
        if (length == kNoMatch) continue;
        if (length == 0 || length > pending_.size()) {
            needMore = true;
            continue;
        }
        return &command;
    }
    return nullptr;
}

// Takes whole commands off the front of the pending bytes. A byte that starts
// no known command is unknown; bytes that may still become a command wait
// for the next input.
//
// The commands completed within one input call (one chunk written on a
// stream, one USB HID output report) arrived together: that is what every
// adapter can tell alike, and a poll the utility writes as one block stays
// one. A command cut across two calls belongs to the one that completes it.
// Over USB HID a request in a report of its own is a batch of one, so the
// split holds back nothing there.
void SimPrinter::parse(SimLogEntry& entry) {
    reading_ = true;
    requestsRead_ = 0;
    while (!pending_.empty() && linkUp_) {
        std::size_t length = 0;
        bool needMore = false;
        if (const SimCommand* command = match(length, needMore)) {
            flushUnknown(entry);
            const Bytes bytes(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
            entry.decoded.push_back(command->describe ? command->describe(bytes) : platform::hexBytes(bytes));
            dispatch(*command, bytes);
            continue;
        }
        if (needMore) break;
        unknown_.push_back(pending_.front());
        pending_.erase(pending_.begin());
    }
    if (!linkUp_) pending_.clear();
    flushUnknown(entry);
    sendHeldReplies();
}

// The second half of the batch's status requests is answered the split's
// delay later; replies after them queue behind, so the order holds.
void SimPrinter::sendHeldReplies() {
    reading_ = false;
    const int firstLate = requestsRead_ - requestsRead_ / 2;
    std::vector<HeldReply> replies;
    replies.swap(held_);
    for (const HeldReply& r : replies)
        schedule(r.bytes, r.epoch, r.extra + (r.request >= firstLate ? config_.splitDelay : 0));
}

void SimPrinter::flushUnknown(SimLogEntry& entry) {
    if (unknown_.empty()) return;
    entry.decoded.push_back("unknown " + platform::hexBytes(unknown_));
    unknown_.clear();
}

namespace {
// The requests with a one-byte status reply, which skip and split act on.
bool isStatusRequest(const Bytes& b) {
    if (b.size() == 2) return b[0] == 0x1B && b[1] == 0x76;  // ESC v
    if (b.size() != 3) return false;
    return (b[0] == 0x1D && b[1] == 0x04) || (b[0] == 0x10 && (b[1] == 0x04 || b[1] == 0x19)) ||
           (b[0] == 0x1B && b[1] == 0x75) || (b[0] == 0x1D && b[1] == 0x72 && b[2] == 0x01);
}
}  // namespace

void SimPrinter::dispatch(const SimCommand& command, const Bytes& bytes) {
    tally_.follow(bytes);
    answering_ = isStatusRequest(bytes) ? requestsRead_++ : -1;
    skipping_ = answering_ >= 0 && skipsLeft_ > 0;
    if (skipping_) --skipsLeft_;
    if (const auto late = nextDelayed_.find(platform::toText(bytes)); late != nextDelayed_.end()) {
        delaying_ = late->second;
        nextDelayed_.erase(late);
    }
    handling_ = bytes;
    if (const auto it = replies_.find(platform::toText(bytes)); it != replies_.end()) {
        if (!it->second.empty()) reply(it->second);
    } else if (command.handle) {
        command.handle(*this, bytes);
    }
    handling_.clear();
    answering_ = -1;
    skipping_ = false;
    delaying_ = 0;
}

void SimPrinter::reply(const Bytes& bytes, platform::Micros late) {
    if (late == platform::kForever) return;
    const int number = repliesCounted_++;
    if (const auto shape = shapes_.find(number); shape != shapes_.end())
        late = shape->second == platform::kForever ? platform::kForever : late + shape->second;
    if (onCountedReply) onCountedReply({number, bytes, late, handling_});
    if (late == platform::kForever) return;
    Bytes shaped = bytes;
    switch (fault_) {
    case ReplyFault::None: break;
    case ReplyFault::Silent: return;
    case ReplyFault::Short: shaped.resize(std::min(shaped.size(), shortLength_)); break;
    case ReplyFault::Garbled:
        for (auto& b : shaped) b = static_cast<std::uint8_t>(~b);
        break;
    }
    if (shaped.empty()) return;
    if (reading_)
        held_.push_back({std::move(shaped), epoch_, answering_, late});
    else
        schedule(shaped, epoch_, late);
}

void SimPrinter::schedule(const Bytes& bytes, unsigned epoch, platform::Micros extra) {
    // A reply never goes out before one scheduled ahead of it, so a delay
    // shortened between two replies cannot swap them.
    const platform::Micros now = scheduler_.now();
    const platform::Micros wait = std::max<platform::Micros>(config_.replyDelay, 0) + extra;
    lastReplyAt_ = std::max(now + wait, lastReplyAt_);
    scheduler_.after(lastReplyAt_ - now, life_.wrap([this, bytes, epoch] {
        if (epoch == epoch_ && linkUp_ && fault_ != ReplyFault::Silent) transmit(bytes);
    }));
}

void SimPrinter::transmit(const Bytes& bytes) {
    if (!port_) return;
    if (!port_->reportFramed()) {
        port_->send(bytes);
        return;
    }
    for (const Bytes& report : encodeInputReports(bytes, port_->inputReportLength())) port_->send(report);
}

void SimPrinter::setReplyFault(ReplyFault fault, std::size_t shortLength) {
    fault_ = fault;
    shortLength_ = shortLength;
}

void SimPrinter::setNoise(platform::Micros every, std::uint32_t seed) {
    ++noiseRun_;
    noiseEvery_ = std::max<platform::Micros>(every, 0);
    noise_.seed(seed);
    if (noiseEvery_ > 0) scheduleNoise(noiseRun_);
}

void SimPrinter::scheduleNoise(unsigned run) {
    scheduler_.after(noiseEvery_, life_.wrap([this, run] {
        if (run != noiseRun_) return;
        if (linkUp_) transmit({static_cast<std::uint8_t>(noise_() >> 8)});
        scheduleNoise(run);
    }));
}

void SimPrinter::setCtsLow(bool low) {
    if (port_) port_->setCts(!low);
}

void SimPrinter::closeConnection() {
    if (port_) port_->closeConnection();
}

void SimPrinter::setLink(bool up) {
    if (!up) ++epoch_;
    linkUp_ = up;
    pending_.clear();
    unknown_.clear();
    if (port_) port_->setLinkUp(up);
}

void SimPrinter::removeDevice() { setLink(false); }

void SimPrinter::restoreDevice() { setLink(true); }

void SimPrinter::restart() {
    ++restarts_;
    ++epoch_;
    linkUp_ = false;
    // The port is told from scheduled actions: restart() runs inside the
    // adapter's delivery of the command that asked for it. A later fault
    // (another restart, a removed device) bumps the epoch and so cancels
    // this restart's come-back.
    scheduler_.after(0, life_.wrap([this, epoch = epoch_] {
        if (epoch == epoch_ && port_) port_->setLinkUp(false);
    }));
    scheduler_.after(config_.restartTime, life_.wrap([this, epoch = epoch_] {
        if (epoch == epoch_) setLink(true);
    }));
}

std::vector<std::string> SimPrinter::commands() const {
    std::vector<std::string> out;
    for (const SimLogEntry& entry : log_) out.insert(out.end(), entry.decoded.begin(), entry.decoded.end());
    return out;
}

}  // namespace sim
