#include "configuration/apply/SetParameterSequence.h"

#include <algorithm>

#include "configuration/apply/SettingCommand.h"
#include "link/PrinterLink.h"

namespace configuration {

using platform::Bytes;

namespace {

// Head, FF and four spare bytes beside two bytes per setting counted.
constexpr std::size_t kPacketExtra = 10;

void append(Bytes& to, const Bytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

}  // namespace

SetParameterSequence::SetParameterSequence(Shape shape) : shape_(shape) {}

bool SetParameterSequence::m27x() const { return shape_.printerType == kM27xType; }

std::vector<Bytes> SetParameterSequence::Head() {
    if (m27x()) return {};
    if (shape_.hid) {
        append(recorded_, ParameterPacketHead);
        for (Bytes& packet : packets_) packet = ParameterPacketHead;
        return {};
    }
    append(recorded_, SetParameterHeader);
    return {SetParameterHeader};
}

std::vector<Bytes> SetParameterSequence::Add(int category, const Bytes& command) {
    append(recorded_, command);
    if (m27x() && shape_.hid) return printerlink::PrinterLink::HidCommandSends(command);
    if (shape_.hid) {
        append(packets_.at(static_cast<std::size_t>(category)), command);
        return {};
    }
    return {command};
}

std::vector<Bytes> SetParameterSequence::Close() {
    if (m27x()) return {};
    std::vector<Bytes> writes;
    for (int category = 0; category < kCategoryCount; ++category) {
        const auto c = static_cast<std::size_t>(category);
        if (!shape_.used[c]) continue;
        recorded_.push_back(SetParameterEnd);
        if (!shape_.hid) {
            writes.push_back({SetParameterEnd});
            continue;
        }
        Bytes packet = packets_[c];
        packet.push_back(SetParameterEnd);
        const std::size_t counted = 2 * static_cast<std::size_t>(std::max(shape_.counts[c], 0)) + kPacketExtra;
        packet.resize(std::max(counted, packet.size()), 0);
        writes.push_back(std::move(packet));
    }
    return writes;
}

// The shown category's run stores its FF without moving on and the restart
// two places after it; for the M27x, which stores no FF, that leaves a 00.
std::size_t SetParameterSequence::restartAt() const {
    return recorded_.size() + (shape_.shownCategoryRun && m27x() ? 1 : 0);
}

std::size_t SetParameterSequence::logSize() const {
    return std::max(shape_.logSize, restartAt() + RestartCommand.size());
}

Bytes SetParameterSequence::WithoutRestart() const {
    Bytes log = recorded_;
    log.resize(logSize(), 0);
    return log;
}

Bytes SetParameterSequence::WithRestart() const {
    Bytes log = WithoutRestart();
    std::copy(RestartCommand.begin(), RestartCommand.end(), log.begin() + static_cast<std::ptrdiff_t>(restartAt()));
    return log;
}

}  // namespace configuration
