// A real-clock event loop for the few transport tests that talk to real
// descriptors (a pseudo-terminal, loopback sockets). Every wait is bounded
// by a deadline so a fault fails the test quickly instead of hanging it.
#pragma once

#include <functional>

#include "platform/loop/EventLoop.h"

namespace platform::test {

struct RealLoop {
    RealClock clock;
    EventLoop loop{clock};

    RealLoop() { EventLoop::setCurrent(&loop); }
    ~RealLoop() { EventLoop::setCurrent(nullptr); }

    // Runs the loop until done() holds or `ms` milliseconds have passed;
    // returns done(). A ticking timer bounds each wait of the loop.
    bool runUntil(const std::function<bool()>& done, int ms = 3000) {
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

}  // namespace platform::test
