// The link's events reach every open window and stop at a closed one.
#include <gtest/gtest.h>

#include <optional>

#include "link/LinkEvent.h"
#include "platform/RuntimeError.h"

namespace {

using printerlink::LinkEvent;

TEST(LinkEvent, AWindowThatClosesStopsReceivingAlsoInTheMiddleOfARaise) {
    LinkEvent<int> event;
    std::vector<std::string> calls;
    std::optional<LinkEvent<int>::Subscription> tally;
    auto diagnostics = event.subscribe([&](int status) {
        calls.push_back("diagnostics " + std::to_string(status));
        if (status == 2) tally.reset();  // the handler closes the tally window
    });
    tally.emplace(event.subscribe([&](int status) { calls.push_back("tally " + std::to_string(status)); }));

    event.raise(1);
    event.raise(2);
    event.raise(3);
    EXPECT_EQ(calls, (std::vector<std::string>{"diagnostics 1", "tally 1", "diagnostics 2", "diagnostics 3"}));
    EXPECT_EQ(event.subscriberCount(), 1u);
}

TEST(LinkEvent, SubscriptionMayOutliveTheEventAndMoves) {
    LinkEvent<int>::Subscription kept;
    int seen = 0;
    {
        LinkEvent<int> event;
        auto first = event.subscribe([&](int v) { seen += v; });
        kept = std::move(first);
        event.raise(5);
        EXPECT_TRUE(kept.active());
        EXPECT_FALSE(first.active());
    }
    EXPECT_FALSE(kept.active());
    kept.reset();  // the event is gone: nothing to do, nothing to crash
    EXPECT_EQ(seen, 5);
}

TEST(LinkEvent, AFailingWindowIsReportedAndTheLaterWindowsStillHear) {
    std::vector<int> reported;
    platform::setHandlerErrorReport([&](const platform::RuntimeError& e) { reported.push_back(e.number()); });
    LinkEvent<int> event;
    std::vector<std::string> calls;
    auto failing = event.subscribe([&](int) {
        calls.push_back("failing");
        platform::raiseError(platform::err::TypeMismatch);
    });
    auto later = event.subscribe([&](int) { calls.push_back("later"); });
    EXPECT_NO_THROW(event.raise(1));
    platform::setHandlerErrorReport(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"failing", "later"}));
    EXPECT_EQ(reported, std::vector<int>{platform::err::TypeMismatch});
}

}  // namespace
