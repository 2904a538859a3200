// The reply bytes a wait read beyond its count, on a loop of its own.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "link/HeldReply.h"
#include "platform/loop/Clock.h"

namespace {

using platform::Bytes;
using printerlink::HeldReply;

class HeldReplyTest : public ::testing::Test {
protected:
    platform::VirtualClock clock;
    platform::EventLoop loop{clock};
    std::vector<std::pair<Bytes, int>> handedOn;
    std::unique_ptr<HeldReply> held = std::make_unique<HeldReply>(
        loop, [this](Bytes data, std::uint8_t reportId) { handedOn.emplace_back(std::move(data), reportId); });
};

TEST_F(HeldReplyTest, ATakeBeforeTheNextPassGetsTheRestElseThePassHandsItOnOnce) {
    held->addReportData(0x08, {1, 2, 3});
    Bytes resp(3, 0);
    EXPECT_TRUE(held->take(resp, 1));
    EXPECT_FALSE(held->take(resp, 3)) << "two were left";
    EXPECT_EQ(resp, (Bytes{2, 3, 0}));
    loop.doEvents();
    EXPECT_TRUE(handedOn.empty());

    held->add({4, 5, 6});
    EXPECT_TRUE(held->take(resp, 1));
    EXPECT_EQ(resp[0], 4);
    loop.doEvents();
    loop.doEvents();
    EXPECT_EQ(handedOn, (std::vector<std::pair<Bytes, int>>{{{5, 6}, 0x08}}));
    EXPECT_EQ(held->size(), 0);
}

TEST_F(HeldReplyTest, NothingIsHandedOnWhileAWaitCollectsOrOnceThePartIsGone) {
    Bytes resp(1, 0);
    held->add({1, 2});
    held->take(resp, 1);
    {
        HeldReply::Collecting collecting(*held);
        loop.doEvents();
    }
    EXPECT_TRUE(handedOn.empty());
    Bytes later{9};
    held->prependTo(later);
    EXPECT_EQ(later, (Bytes{2, 9})) << "what was held comes first";

    held->add({1, 2});
    held->take(resp, 1);
    held.reset();
    loop.doEvents();
    EXPECT_TRUE(handedOn.empty());
}

}  // namespace
