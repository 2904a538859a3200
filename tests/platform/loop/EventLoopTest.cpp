#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/loop/EventLoop.h"

using namespace platform;

namespace {

struct VirtualWorld : ::testing::Test {
    VirtualClock clock;
    EventLoop loop{clock};
    void SetUp() override { EventLoop::setCurrent(&loop); }
    void TearDown() override { EventLoop::setCurrent(nullptr); }
};

// The thread's voluntary context switches: each real sleep is one.
long voluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

// No real time: not a bound on the wall clock, which a loaded machine
// stretches, but no sleep of the thread, which 10000 real yields would be.
TEST_F(VirtualWorld, TenThousandYieldsCostAboutOneSecondOfVirtualTimeAndNoRealTime) {
    const long switchesBefore = voluntarySwitches();
    for (int i = 0; i < 10000; ++i) DoEvents();
    const long switches = voluntarySwitches() - switchesBefore;
    EXPECT_EQ(clock.now(), 10000 * kYieldQuantum);
    EXPECT_LT(switches, 100) << "the thread slept " << switches << " times";
}

TEST_F(VirtualWorld, BlockingSleepRunsWorldActionsButNoUtilityEvent) {
    std::vector<std::string> seen;
    Timer timer;
    timer.setInterval(100);
    timer.onTimer = [&] { seen.push_back("timer"); };
    // The world answers during the sleep by posting an event, as a transport would.
    clock.scheduleAfter(2'000'000, [&] {
        seen.push_back("world");
        loop.post([&] { seen.push_back("posted"); });
    });
    Sleep(5000);
    EXPECT_EQ(seen, (std::vector<std::string>{"world"}));
    EXPECT_EQ(clock.now(), 5'000'000);

    DoEvents();
    // The late timer fires once, not fifty times, and the posted event arrives.
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "timer"), 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "posted"), 1);
}

// A poll that restarts a watchdog on every request: after a blocking sleep
// that held both up, the poll fell due first and its request restarts the
// watchdog, which then has nothing stale to report.
TEST_F(VirtualWorld, TimersHeldUpTogetherFireInTheOrderTheyFellDue) {
    std::vector<std::string> seen;
    Timer watchdog;
    watchdog.setInterval(5000);
    watchdog.onTimer = [&] { seen.push_back("watchdog"); };
    Timer poll;
    poll.setInterval(1000);
    poll.onTimer = [&] {
        seen.push_back("poll");
        watchdog.setInterval(5000);
    };
    Sleep(10000);
    DoEvents();
    EXPECT_EQ(seen, (std::vector<std::string>{"poll"}));
}

TEST_F(VirtualWorld, TimerDoesNotReenterItsOwnHandler) {
    Timer timer;
    timer.setInterval(10);
    int depth = 0, maxDepth = 0, fired = 0;
    timer.onTimer = [&] {
        ++fired;
        maxDepth = std::max(maxDepth, ++depth);
        if (fired == 1) {
            // A nested wait of many intervals inside the handler.
            const Micros until = clock.now() + 200'000;
            loop.runUntil([&] { return clock.now() >= until; });
        }
        --depth;
    };
    clock.scheduleAt(400'000, [] {});  // keeps the nested wait moving
    loop.runUntil([&] { return fired >= 3; });
    EXPECT_EQ(maxDepth, 1);
}

TEST_F(VirtualWorld, TimerStopsWithIntervalZeroOrDisabled) {
    struct Case {
        const char* name;
        int interval;
        bool enabled;
        int expected;
    } cases[] = {{"running", 100, true, 10}, {"zero interval", 0, true, 0}, {"disabled", 100, false, 0}};
    for (const auto& c : cases) {
        Timer timer;
        int fired = 0;
        timer.onTimer = [&] { ++fired; };
        timer.setInterval(c.interval);
        timer.setEnabled(c.enabled);
        const Micros until = clock.now() + 1'000'000;
        clock.scheduleAt(until, [] {});
        loop.runUntil([&] { return clock.now() >= until; });
        EXPECT_EQ(fired, c.expected) << c.name;
    }
}

TEST_F(VirtualWorld, NestedModalLoopsRunHandlersAndUnwindInOrder) {
    std::vector<std::string> log;
    bool outerDone = false, innerDone = false;
    Timer opener, closer;
    opener.setInterval(50);
    closer.setInterval(120);
    opener.onTimer = [&] {
        opener.setEnabled(false);
        log.push_back("inner begins");
        // A modal window shown from inside a handler of an outer modal window.
        loop.runUntil([&] { return innerDone; });
        log.push_back("inner ends");
        outerDone = true;
    };
    closer.onTimer = [&] {
        log.push_back("inner closed by another handler");
        innerDone = true;
    };
    loop.runUntil([&] { return outerDone; });
    EXPECT_EQ(log, (std::vector<std::string>{"inner begins", "inner closed by another handler", "inner ends"}));
    EXPECT_EQ(clock.now(), 120'000);
}

TEST_F(VirtualWorld, PostedEventsRunOnALaterPassNeverInline) {
    std::vector<int> order;
    loop.post([&] {
        order.push_back(1);
        loop.post([&] { order.push_back(3); });
    });
    loop.post([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());
    DoEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    DoEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(VirtualWorld, WorldActionsRunAtTheirOwnTimeInOrder) {
    std::vector<Micros> at;
    clock.scheduleAt(300, [&] { at.push_back(clock.now()); });
    clock.scheduleAt(100, [&] {
        at.push_back(clock.now());
        clock.scheduleAfter(50, [&] { at.push_back(clock.now()); });
    });
    clock.advanceTo(1000);
    EXPECT_EQ(at, (std::vector<Micros>{100, 150, 300}));
    EXPECT_EQ(clock.now(), 1000);
}

TEST_F(VirtualWorld, WaitingForEverFailsInsteadOfHanging) {
    EXPECT_THROW(loop.runUntil([] { return false; }), std::logic_error);
}

// A wait that ends later than asked, as the kernel wakes a thread tens of
// microseconds after its time.
struct LateWakeBackend final : LoopBackend {
    explicit LateWakeBackend(VirtualClock& c) : clock(c) {}
    void wait(const std::vector<IoWatchRequest>&, Micros timeout, std::vector<IoReady>&) override {
        if (timeout > 0) shortest = std::min(shortest, timeout);
        clock.advanceTo(clock.now() + (timeout > 0 ? timeout + 30 : 0));
    }
    VirtualClock& clock;
    Micros shortest = kForever;
};

TEST(YieldPacing, YieldsCostTheirQuantumWhenWaitsEndLateAndStillSleep) {
    VirtualClock clock;
    auto backend = std::make_unique<LateWakeBackend>(clock);
    LateWakeBackend& late = *backend;
    EventLoop loop(clock, std::move(backend));
    for (int i = 0; i < 10000; ++i) loop.doEvents();
    EXPECT_NEAR(static_cast<double>(clock.now()), 10000.0 * kYieldQuantum, 10000.0 * kYieldQuantum / 50);
    EXPECT_GE(late.shortest, kYieldQuantum / 2) << "a yield must not spin";
}

TEST(RealLoop, IdleWaitBlocksOnDescriptorsWithoutSpinning) {
    RealClock clock;
    EventLoop loop(clock);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    bool got = false;
    loop.watch(fds[0], IoRead, [&](unsigned) {
        char c;
        [[maybe_unused]] auto n = read(fds[0], &c, 1);
        got = true;
    });
    Timer writer(loop);
    writer.setInterval(30);
    writer.onTimer = [&] {
        [[maybe_unused]] auto n = write(fds[1], "x", 1);
        writer.setEnabled(false);
    };
    const auto cpuStart = std::clock();
    loop.runUntil([&] { return got; });
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    EXPECT_TRUE(got);
    EXPECT_LT(cpuMs, 20.0);
    close(fds[0]);
    close(fds[1]);
}

}  // namespace
