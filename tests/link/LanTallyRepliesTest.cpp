// The TCP tally parsers on their own, without a link.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>

#include "link/IdItemCodes.h"
#include "link/LanTallyReplies.h"

namespace {

using platform::Bytes;
using printerlink::LanTallyReplies;
namespace iditems = printerlink::iditems;

struct TallyMembers {
    bool LanTallyReplies::*requested;
    std::int32_t LanTallyReplies::*value;
};
// In tally index order.
constexpr std::array<TallyMembers, iditems::kTallyCount> kTallies = {{
    {&LanTallyReplies::m_blnReceiptLinecmd, &LanTallyReplies::m_ReceiptLine},
    {&LanTallyReplies::m_bKnifeCut, &LanTallyReplies::m_KnifeCut},
    {&LanTallyReplies::m_bSlipLines, &LanTallyReplies::m_SlipLines},
    {&LanTallyReplies::m_bSlipChars, &LanTallyReplies::m_SlipChars},
    {&LanTallyReplies::m_bMICRReads, &LanTallyReplies::m_MICRReads},
    {&LanTallyReplies::m_bHoursOn, &LanTallyReplies::m_HoursOn},
    {&LanTallyReplies::m_bFlashCycles, &LanTallyReplies::m_FlashCycles},
    {&LanTallyReplies::m_bKnifeJams, &LanTallyReplies::m_KnifeJams},
    {&LanTallyReplies::m_bCoverOpens, &LanTallyReplies::m_CoverOpens},
    {&LanTallyReplies::m_bMaxTemp, &LanTallyReplies::m_MaxTemp},
    {&LanTallyReplies::m_bRecBack, &LanTallyReplies::m_RecBack},
    {&LanTallyReplies::m_bScantimes, &LanTallyReplies::m_Scantimes},
}};

Bytes reply(int tally, const std::string& text) {
    Bytes data{iditems::TallyCode(tally, iditems::IdItemOp::Read, false)};
    for (char ch : text) data.push_back(static_cast<std::uint8_t>(ch));
    data.push_back(0x00);
    return data;
}

TEST(LanTallyRepliesTest, AReplyFillsOnlyTheRequestedTallyItsMarkerNames) {
    for (int tally = 0; tally < iditems::kTallyCount; ++tally) {
        SCOPED_TRACE(tally);
        LanTallyReplies replies;
        for (const TallyMembers& m : kTallies) {
            replies.*m.requested = true;
            replies.*m.value = -1;
        }
        replies.parseWaitingTallies(reply(tally, "00000042"));
        for (int other = 0; other < iditems::kTallyCount; ++other) {
            const TallyMembers& m = kTallies[static_cast<std::size_t>(other)];
            EXPECT_EQ(replies.*m.requested, other != tally) << other;
            EXPECT_EQ(replies.*m.value, other == tally ? 42 : -1) << other;
        }
    }
}

TEST(LanTallyRepliesTest, AnUnrequestedTallyKeepsItsValue) {
    LanTallyReplies replies;
    replies.m_HoursOn = 7;
    replies.parseWaitingTallies(reply(iditems::kHoursOn, "00000042"));
    replies.ParseHoursOnTally(reply(iditems::kHoursOn, "00000042"));
    EXPECT_EQ(replies.m_HoursOn, 7);
}

TEST(LanTallyRepliesTest, CounterTextBecomesTheNearestWholeNumberWithinRange) {
    struct Case {
        std::string text;
        std::int32_t value;
    };
    for (const Case& c : {Case{"00012345", 12345}, Case{"2.5", 2}, Case{"3.5", 4}, Case{"", 0}, Case{"x1", 0},
                          Case{"99999999999", std::numeric_limits<std::int32_t>::max()},
                          Case{"-99999999999", std::numeric_limits<std::int32_t>::min()}}) {
        LanTallyReplies replies;
        replies.m_bKnifeCut = true;
        replies.parseWaitingTallies(reply(iditems::kKnifeCuts, c.text));
        EXPECT_EQ(replies.m_KnifeCut, c.value) << c.text;
        EXPECT_FALSE(replies.m_bKnifeCut) << c.text;
    }
}

}  // namespace
