// TimerControl: the Timer control of a form, built on platform::Timer. It
// ticks every Interval ms while its Enabled is True, Interval > 0 and the
// form is loaded (Unload stops it, a new Load starts it again). Its Timer
// event does not run again while it is running, and runs inside whatever
// DoEvents, modal loop or idle wait is serving the event loop.
#pragma once

#include <memory>

#include "platform/forms/Control.h"
#include "platform/loop/EventLoop.h"

namespace platform {

class TimerControl : public Control {
public:
    TimerControl(Form& form, std::string name);
    TimerControl(Control& container, std::string name);
    ~TimerControl() override;

    int Interval() const { return interval_; }
    void setInterval(int ms);
    // The control's Enabled is the timer's switch.

    std::function<void()> Timer;

protected:
    void formLoadChanged(bool loaded) override;
    void effectiveStateChanged() override;

private:
    void update();

    int interval_ = 0;
    std::unique_ptr<platform::Timer> timer_;
};

}  // namespace platform
