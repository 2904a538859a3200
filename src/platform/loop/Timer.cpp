#include "platform/loop/EventLoop.h"

namespace platform {

Timer::Timer(EventLoop& loop) : loop_(loop) { loop_.registerTimer(this); }

Timer::~Timer() { loop_.unregisterTimer(this); }

void Timer::setInterval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    restart();
}

void Timer::setEnabled(bool on) {
    enabled_ = on;
    restart();
}

void Timer::restart() {
    due_ = (enabled_ && interval_ > 0) ? loop_.clock().now() + Micros(interval_) * 1000 : kForever;
    if (due_ != kForever) loop_.backend().wake();
}

}  // namespace platform
