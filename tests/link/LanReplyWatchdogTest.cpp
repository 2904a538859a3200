// The TCP reply watchdog on a loop of its own, without a link.
#include <gtest/gtest.h>

#include "link/LanReplyWatchdog.h"
#include "link/LinkFlags.h"
#include "printer/SimulatedPrinterWorld.h"

namespace {

using printerlink::LanReplyWatchdog;

class TestWatchdog : public LanReplyWatchdog {
public:
    TestWatchdog(platform::EventLoop& loop, bool& replyWaiting, int& timeouts)
        : LanReplyWatchdog(loop, [&replyWaiting] { return replyWaiting; }, [&timeouts] { ++timeouts; }) {
        TimerWinsock.onTimer = [this] { TimerWinsock_Timer(); };
    }
    using LanReplyWatchdog::lanAnswersAgain;
};

class LanReplyWatchdogTest : public ::testing::Test {
protected:
    LanReplyWatchdogTest() { printerlink::resetLinkModuleState(); }
    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    bool replyWaiting = false;
    int timeouts = 0;
    TestWatchdog watchdog{loop, replyWaiting, timeouts};
};

TEST_F(LanReplyWatchdogTest, ASilenceFromTheOldestSendIsReportedUnlessExcused) {
    struct Case {
        const char* name;
        bool held, suppressed, waiting;
        int timeouts;
    };
    for (const Case& c : {Case{"silent", false, false, false, 1}, Case{"held", true, false, false, 0},
                          Case{"suppressed", false, true, false, 0}, Case{"reply waiting", false, false, true, 0}}) {
        SCOPED_TRACE(c.name);
        timeouts = 0;
        printerlink::bSuppressLanTimeout = c.suppressed;
        replyWaiting = c.waiting;
        if (c.held) watchdog.holdReplyWatchdog();
        watchdog.StartResponseTimer();
        sim::runLoopFor(loop, 3000);
        watchdog.StartResponseTimer();  // a later send does not restart it
        sim::runLoopFor(loop, 2100);
        EXPECT_EQ(timeouts, c.timeouts);
        EXPECT_EQ(watchdog.lanAnswersAgain(), c.timeouts > 0);
        EXPECT_FALSE(watchdog.lanAnswersAgain());
        if (c.held) watchdog.releaseReplyWatchdog();
        EXPECT_FALSE(watchdog.TimerWinsock.enabled());
    }
}

TEST_F(LanReplyWatchdogTest, AFireTheProgramHeldUpGivesThePrinterItsFullTimeAgain) {
    watchdog.StartResponseTimer();
    loop.sleep(6500);  // a blocking sleep, no event runs
    sim::runLoopFor(loop, 4900);
    EXPECT_EQ(timeouts, 0);
    sim::runLoopFor(loop, 200);
    EXPECT_EQ(timeouts, 1);
}

}  // namespace
