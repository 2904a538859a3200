#include "platform/forms/TimerControl.h"

#include "platform/RuntimeError.h"

namespace platform {

TimerControl::TimerControl(Form& form, std::string name)
    : Control(form, ControlKind::Timer, std::move(name)) {
    setTabStop(false);
}

TimerControl::TimerControl(Control& container, std::string name)
    : Control(container, ControlKind::Timer, std::move(name)) {
    setTabStop(false);
}

TimerControl::~TimerControl() = default;

void TimerControl::setInterval(int ms) {
    if (ms < 0 || ms > 65535) throw RuntimeError(err::InvalidProperty, "Invalid property value");
    if (!assign(interval_, ms, Property::Interval)) return;
    update();
}

void TimerControl::formLoadChanged(bool /*loaded*/) { update(); }

void TimerControl::effectiveStateChanged() { update(); }

void TimerControl::update() {
    const bool run = form().isLoaded() && Enabled() && interval_ > 0;
    if (!run) {
        if (timer_) timer_->setEnabled(false);
        return;
    }
    if (!timer_) {
        timer_ = std::make_unique<platform::Timer>(EventLoop::current());
        timer_->onTimer = [this] { raise(Timer); };
    }
    // A new interval or a fresh start counts the whole interval from now.
    timer_->setEnabled(false);
    timer_->setInterval(interval_);
    timer_->setEnabled(true);
}

}  // namespace platform
