#include "printer-sim/SimScheduler.h"

#include <algorithm>

namespace sim {

void VirtualScheduler::after(platform::Micros delay, std::function<void()> action) {
    clock_.scheduleAfter(std::max<platform::Micros>(delay, 0), life_.wrap(std::move(action)));
}

LoopScheduler::LoopScheduler(platform::EventLoop& loop)
    : loop_(loop), timer_(std::make_unique<platform::Timer>(loop)) {
    timer_->setEnabled(false);
    timer_->onTimer = [this] { runDue(); };
}

LoopScheduler::~LoopScheduler() = default;

void LoopScheduler::after(platform::Micros delay, std::function<void()> action) {
    const platform::Micros at = now() + std::max<platform::Micros>(delay, 0);
    // A post would run ahead of actions already due whose timer has not
    // fired yet; those go first, so the action joins them.
    if (delay <= 0 && (pending_.empty() || pending_.begin()->first > at)) {
        loop_.post(life_.wrap(std::move(action)));
        return;
    }
    pending_.emplace(at, std::move(action));
    arm();
}

void LoopScheduler::runDue() {
    while (!pending_.empty() && pending_.begin()->first <= now()) {
        auto node = pending_.extract(pending_.begin());
        node.mapped()();
    }
    arm();
}

void LoopScheduler::arm() {
    if (pending_.empty()) {
        timer_->setEnabled(false);
        return;
    }
    const platform::Micros wait = pending_.begin()->first - now();
    timer_->setInterval(static_cast<int>(std::max<platform::Micros>((wait + 999) / 1000, 1)));
    timer_->setEnabled(true);
}

}  // namespace sim
