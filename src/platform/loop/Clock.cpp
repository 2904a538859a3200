#include "platform/loop/Clock.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {
std::int64_t steadyMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

RealClock::RealClock() : origin_(steadyMicros()) {}

Micros RealClock::now() const { return steadyMicros() - origin_; }

void RealClock::sleepFor(Micros duration) {
    if (duration > 0) std::this_thread::sleep_for(std::chrono::microseconds(duration));
}

std::int64_t RealClock::wallMicros() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

VirtualClock::VirtualClock(std::int64_t wallStartMicros) : wallStart_(wallStartMicros) {}

VirtualClock::ActionId VirtualClock::scheduleAt(Micros at, std::function<void()> action) {
    const ActionId id = nextId_++;
    actions_.emplace(at, std::make_pair(id, std::move(action)));
    return id;
}

void VirtualClock::cancel(ActionId id) {
    for (auto it = actions_.begin(); it != actions_.end(); ++it) {
        if (it->second.first == id) {
            actions_.erase(it);
            return;
        }
    }
}

Micros VirtualClock::nextActionTime() const { return actions_.empty() ? kForever : actions_.begin()->first; }

void VirtualClock::advanceTo(Micros until) {
    // Actions run with the clock standing at their own time, so a reply an
    // action schedules "after 5 ms" lands 5 ms after it, not after `until`.
    while (!actions_.empty() && actions_.begin()->first <= until) {
        auto node = actions_.extract(actions_.begin());
        if (node.key() > now_) now_ = node.key();
        node.mapped().second();
    }
    if (until > now_) now_ = until;
}

void VirtualClock::sleepFor(Micros duration) {
    if (duration < 0) duration = 0;
    advanceTo(now_ + duration);
}

}  // namespace platform
