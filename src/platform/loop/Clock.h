// The one source of time for every wait and timer in the utility.
//
// RealClock reads the monotonic system clock and really sleeps. VirtualClock
// is the tests' clock: time moves only when someone waits, and it carries the
// simulated world (a simulated printer, a device that vanishes...): actions
// scheduled at virtual times run, in time order, while virtual time passes
// over them, also during a blocking sleep of the utility. World actions must
// not run utility code directly; they feed transports, which post events to
// the loop (see EventLoop.h), so the utility sees them at its next pass.
#pragma once

#include <cstdint>
#include <functional>
#include <map>

namespace platform {

using Micros = std::int64_t;
inline constexpr Micros kForever = INT64_MAX;

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time since the clock was made.
    virtual Micros now() const = 0;
    // Blocks the caller for the given time; no event of the utility runs.
    virtual void sleepFor(Micros duration) = 0;
    // Wall time in microseconds since 1970 (local time zone applied by the
    // caller); for time stamps such as file names.
    virtual std::int64_t wallMicros() const = 0;
    virtual bool isVirtual() const { return false; }
};

class RealClock final : public Clock {
public:
    RealClock();
    Micros now() const override;
    void sleepFor(Micros duration) override;
    std::int64_t wallMicros() const override;

private:
    std::int64_t origin_;
};

class VirtualClock final : public Clock {
public:
    // Virtual wall time starts at 2026-01-02 03:04:05 UTC unless told otherwise.
    explicit VirtualClock(std::int64_t wallStartMicros = 1767323045LL * 1000000);

    Micros now() const override { return now_; }
    // Advances virtual time, running the world's actions that fall due.
    void sleepFor(Micros duration) override;
    std::int64_t wallMicros() const override { return wallStart_ + now_; }
    bool isVirtual() const override { return true; }

    using ActionId = std::uint64_t;
    // Runs action when virtual time reaches `at` (at once on the next advance
    // when `at` is not in the future). Actions at the same time run in the
    // order they were scheduled.
    ActionId scheduleAt(Micros at, std::function<void()> action);
    ActionId scheduleAfter(Micros delay, std::function<void()> action) {
        return scheduleAt(now_ + delay, std::move(action));
    }
    void cancel(ActionId id);
    // Time of the earliest pending world action, or kForever.
    Micros nextActionTime() const;
    // Moves time to `until`, running due actions on the way; actions that an
    // action schedules for a time up to `until` also run.
    void advanceTo(Micros until);
    // Runs actions due now without moving time.
    void runDue() { advanceTo(now_); }

private:
    Micros now_ = 0;
    std::int64_t wallStart_;
    ActionId nextId_ = 1;
    std::multimap<Micros, std::pair<ActionId, std::function<void()>>> actions_;
};

}  // namespace platform
