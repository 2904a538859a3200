// A run-time error that escapes an event handler stops where the loop
// dispatched the handler.
#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/RuntimeError.h"
#include "platform/loop/EventLoop.h"

using namespace platform;

namespace {

struct HandlerErrors : ::testing::Test {
    VirtualClock clock;
    EventLoop loop{clock};
    std::vector<int> reported;
    int fds[2] = {-1, -1};
    void SetUp() override {
        EventLoop::setCurrent(&loop);
        setHandlerErrorReport([this](const RuntimeError& e) { reported.push_back(e.number()); });
        ASSERT_EQ(pipe(fds), 0);
    }
    void TearDown() override {
        setHandlerErrorReport(nullptr);
        EventLoop::setCurrent(nullptr);
        close(fds[0]);
        close(fds[1]);
    }
};

TEST_F(HandlerErrors, AreReportedOnceWhileTheLoopTheTimerAndTheYieldingCodeGoOn) {
    int calls = 0;
    const std::function<void()> failsFirst = [&] {
        if (++calls == 1) raiseError(err::TypeMismatch);
    };
    struct Case {
        const char* name;
        std::function<std::shared_ptr<void>()> arm;  // what it returns stays armed through the case
        int calls;
    } cases[] = {
        {"a timer every 50 ms keeps its schedule",
         [&] {
             auto timer = std::make_shared<Timer>(loop);
             timer->setInterval(50);
             timer->onTimer = failsFirst;
             return std::shared_ptr<void>(timer);
         },
         4},
        {"the next posted event still runs",
         [&] {
             loop.post(failsFirst);
             loop.post(failsFirst);
             return std::shared_ptr<void>();
         },
         2},
        {"a descriptor watch stays watched",
         [&] {
             EXPECT_EQ(write(fds[1], "ab", 2), 2);
             const auto id = loop.watch(fds[0], IoRead, [&](unsigned) {
                 char c;
                 EXPECT_EQ(read(fds[0], &c, 1), 1);
                 failsFirst();
             });
             return std::shared_ptr<void>(nullptr, [this, id](void*) { loop.unwatch(id); });
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        calls = 0;
        reported.clear();
        const auto armed = c.arm();
        // A procedure waiting in yields, as the link's sends do, around 220 ms.
        int yields = 0;
        EXPECT_NO_THROW(for (; yields < 2200; ++yields) DoEvents());
        EXPECT_EQ(yields, 2200);
        EXPECT_EQ(reported, std::vector<int>{err::TypeMismatch});
        EXPECT_EQ(calls, c.calls);
    }
}

}  // namespace
