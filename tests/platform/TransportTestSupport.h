// Support for the transport tests: a real-clock event loop for the few
// tests that talk to real descriptors (a pseudo-terminal, loopback sockets),
// whose every wait is bounded by a deadline so a fault fails the test
// quickly instead of hanging it, and the error number an action throws.
#pragma once

#include <functional>
#include <string>

#include "platform/RuntimeError.h"
#include "platform/loop/EventLoop.h"

namespace platform::test {

struct RealLoop {
    RealClock clock;
    EventLoop loop{clock};

    RealLoop() { EventLoop::setCurrent(&loop); }
    ~RealLoop() { EventLoop::setCurrent(nullptr); }

    // Runs the loop until done() holds or `ms` milliseconds have passed;
    // returns done(). The default bound is generous: a loaded machine may
    // take seconds for what an idle one does at once. A ticking timer bounds
    // each wait of the loop.
    bool runUntil(const std::function<bool()>& done, int ms = 10000) {
        Timer tick(loop);
        tick.onTimer = [] {};
        tick.setInterval(5);
        const Micros deadline = clock.now() + Micros{ms} * 1000;
        loop.runUntil([&] { return done() || clock.now() >= deadline; });
        return done();
    }

    // Lets the loop run for `ms` milliseconds (to show that nothing arrives).
    void runFor(int ms) { runUntil([] { return false; }, ms); }
};

// The RuntimeError number `action` throws (0 when it throws none); its
// description goes to `description` when given.
inline int errorOf(const std::function<void()>& action, std::string* description = nullptr) {
    try {
        action();
    } catch (const RuntimeError& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}

}  // namespace platform::test
