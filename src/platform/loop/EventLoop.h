// The single-threaded event loop every part of the utility runs on.
//
// Ownership: one EventLoop per process (or per test), made current with
// setCurrent(); free functions DoEvents() and Sleep() act on the current one.
//
// What may block: sleep() blocks and serves no utility event (input still
// collects in the transports' buffers, and on a virtual clock the world keeps
// running). doEvents() runs one pass and, when nothing was pending, waits at
// most one yield quantum (0.1 ms). runUntil() is the nested loop of a modal
// window: it waits (without spinning) for the next event until its condition
// holds. Any handler may run inside any doEvents()/runUntil(), so handlers
// can nest; code that must not be re-entered guards itself.
//
// Events that a transport raises are post()ed and delivered at a later pass,
// never inside the call that caused them.
//
// A RuntimeError that escapes a timer, posted event or descriptor handler
// stops at its dispatch (runEventHandler in RuntimeError.h): it is reported
// once, and the pass, the timer's schedule and the doEvents()/runUntil()
// that ran the handler go on. Other exceptions are faults of the program and
// pass through.
//
// The blocking wait is done by a LoopBackend: PollBackend (real clock, poll
// on descriptors), VirtualBackend (virtual clock, no real waiting) and the Qt
// front end's backend, which also processes the window system's events.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/loop/Clock.h"

namespace platform {

inline constexpr Micros kYieldQuantum = 100;  // 0.1 ms

enum IoInterest : unsigned { IoRead = 1, IoWrite = 2 };

struct IoWatchRequest {
    int fd;
    unsigned interest;  // IoInterest bits
};
struct IoReady {
    int fd;
    unsigned ready;  // IoInterest bits; errors and hang-ups are reported as IoRead
};

class LoopBackend {
public:
    virtual ~LoopBackend() = default;
    // Waits until a watched descriptor is ready, something is posted from
    // outside (wake()), or `timeout` has passed on the loop's clock
    // (kForever: no bound). Fills `ready`. May run the window system's own
    // events (Qt backend); must not run utility events itself.
    virtual void wait(const std::vector<IoWatchRequest>& watches, Micros timeout,
                      std::vector<IoReady>& ready) = 0;
    // Makes a wait in progress (or the next one) return early.
    virtual void wake() {}
};

class Timer;

class EventLoop {
public:
    // The backend defaults to VirtualBackend for a virtual clock and
    // PollBackend otherwise.
    explicit EventLoop(Clock& clock, std::unique_ptr<LoopBackend> backend = nullptr);
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    static EventLoop& current();
    static EventLoop* currentOrNull();
    static void setCurrent(EventLoop* loop);

    Clock& clock() { return clock_; }
    void setBackend(std::unique_ptr<LoopBackend> backend);
    LoopBackend& backend() { return *backend_; }

    // One pass: ready I/O, due timers, posted events. If nothing ran, waits at
    // most one yield quantum for something to arrive.
    void doEvents();
    // One pass that waits at most `limit` for something to arrive, so that a
    // wait ends as soon as what it waits for came; true when anything ran.
    bool awaitEvent(Micros limit) { return runPass(limit); }
    // Blocks for `ms` milliseconds; no utility event runs.
    void sleep(std::int64_t ms);
    // Nested loop: runs passes, waiting without spinning for the next event,
    // until done() is true. done() is checked before every wait.
    void runUntil(const std::function<bool()>& done);
    // Runs passes until quit() is called (the program's main loop).
    void run();
    void quit() { quit_ = true; backend_->wake(); }

    // Queues fn to run on a later pass.
    void post(std::function<void()> fn);

    using WatchId = std::uint64_t;
    // Calls handler(ready bits) on a pass in which fd is ready.
    WatchId watch(int fd, unsigned interest, std::function<void(unsigned)> handler);
    void setInterest(WatchId id, unsigned interest);
    void unwatch(WatchId id);

    // True when nothing is posted, no timer is due and no descriptor is
    // watched with a ready state seen; for tests that drain the loop.
    bool hasPendingPosts() const { return !posted_.empty(); }
    // Time until the earliest enabled timer is due (kForever when none).
    Micros nextTimerDue() const;
    // Timers that exist on this loop (enabled or not) and descriptor watches
    // registered, so tests can tell that a closed window left none behind.
    std::size_t timerCount() const { return timers_.size(); }
    std::size_t watchCount() const { return watches_.size(); }

private:
    friend class Timer;
    // Runs whatever is ready; returns true if anything ran.
    bool runPass(Micros waitLimit);
    bool runDueTimers();
    bool runPosted();
    void registerTimer(Timer* t);
    void unregisterTimer(Timer* t);

    Clock& clock_;
    std::unique_ptr<LoopBackend> backend_;
    std::deque<std::function<void()>> posted_;
    struct Watch {
        int fd;
        unsigned interest;
        std::shared_ptr<std::function<void(unsigned)>> handler;
    };
    std::map<WatchId, Watch> watches_;
    WatchId nextWatch_ = 1;
    std::vector<Timer*> timers_;
    bool quit_ = false;
    // How much later than asked an idle yield's wait ends (see doEvents).
    Micros yieldLateness8_ = 0;  // in eighths of a microsecond
    std::vector<IoReady> readyScratch_;
};

// Interval timer on the loop's clock. Interval 0 or Enabled false stops it.
// It does not fire again while its own handler runs, and after a blocking
// sleep a late timer fires once, not once per missed tick; timers that are
// late together fire in the order they fell due.
class Timer {
public:
    explicit Timer(EventLoop& loop = EventLoop::current());
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int interval() const { return interval_; }
    void setInterval(int ms);
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);

    std::function<void()> onTimer;

private:
    friend class EventLoop;
    void restart();
    EventLoop& loop_;
    int interval_ = 0;
    bool enabled_ = true;
    bool running_ = false;
    Micros due_ = kForever;
};

// Backends.
class PollBackend final : public LoopBackend {
public:
    PollBackend();
    ~PollBackend() override;
    void wait(const std::vector<IoWatchRequest>& watches, Micros timeout,
              std::vector<IoReady>& ready) override;
    void wake() override;

private:
    int wakePipe_[2] = {-1, -1};
};

class VirtualBackend final : public LoopBackend {
public:
    explicit VirtualBackend(VirtualClock& clock) : clock_(clock) {}
    // Advances virtual time by the timeout, stopping early after a world
    // action ran (it may have posted an event). Real descriptors are polled
    // without waiting. A wait with no bound and no world action pending
    // would never end: it throws std::logic_error so a test fails instead of
    // hanging.
    void wait(const std::vector<IoWatchRequest>& watches, Micros timeout,
              std::vector<IoReady>& ready) override;

private:
    VirtualClock& clock_;
};

// Lets the calling thread's timed waits end within a microsecond of their
// time instead of the kernel's default slack of 50 us, which would make every
// yield half as long again as its quantum. An EventLoop on the real clock
// calls it for its thread.
void useFineTimerSlack();

// The current loop's yield and blocking sleep, as the utility's code calls them.
inline void DoEvents() { EventLoop::current().doEvents(); }
inline void Sleep(std::int64_t ms) { EventLoop::current().sleep(ms); }

}  // namespace platform
