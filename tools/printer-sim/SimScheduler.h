// Where the simulated printer's delayed actions (replies, the end of a
// restart) run: on the virtual clock as world actions in tests, or on the
// real event loop in printer-sim and the real-transport tests.
//
// Actions due at the same time run in the order they were scheduled.
//
// Ownership: a scheduler refers to its clock or loop, which outlive it.
// Actions still pending when the scheduler goes away are dropped.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "platform/loop/LifeToken.h"
#include "platform/loop/Clock.h"
#include "platform/loop/EventLoop.h"

namespace sim {

class SimScheduler {
public:
    virtual ~SimScheduler() = default;
    virtual platform::Micros now() const = 0;
    virtual void after(platform::Micros delay, std::function<void()> action) = 0;
};

class VirtualScheduler final : public SimScheduler {
public:
    explicit VirtualScheduler(platform::VirtualClock& clock) : clock_(clock) {}
    platform::Micros now() const override { return clock_.now(); }
    void after(platform::Micros delay, std::function<void()> action) override;

private:
    platform::VirtualClock& clock_;
    platform::LifeToken life_;
};

// On a real loop the actions run as loop events: a zero delay is a post, a
// longer one waits on a timer (millisecond resolution). While actions already
// due still wait for the timer, a zero delay queues behind them instead.
class LoopScheduler final : public SimScheduler {
public:
    explicit LoopScheduler(platform::EventLoop& loop);
    ~LoopScheduler() override;
    platform::Micros now() const override { return loop_.clock().now(); }
    void after(platform::Micros delay, std::function<void()> action) override;

private:
    void runDue();
    void arm();

    platform::EventLoop& loop_;
    std::unique_ptr<platform::Timer> timer_;
    std::multimap<platform::Micros, std::function<void()>> pending_;
    platform::LifeToken life_;
};

}  // namespace sim
