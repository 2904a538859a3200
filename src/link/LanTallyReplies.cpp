#include "link/LanTallyReplies.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "link/IdItemCodes.h"

namespace printerlink {

using platform::Bytes;

namespace {

// Each tally's request flag and value and its index (IdItemCodes.h).
struct TallySlot {
    bool LanTallyReplies::*requested;
    std::int32_t LanTallyReplies::*value;
    int tally;
};
using R = LanTallyReplies;
constexpr std::array<TallySlot, iditems::kTallyCount> kSlots = {{
    {&R::m_blnReceiptLinecmd, &R::m_ReceiptLine, iditems::kReceiptLines},
    {&R::m_bKnifeCut, &R::m_KnifeCut, iditems::kKnifeCuts},
    {&R::m_bSlipLines, &R::m_SlipLines, iditems::kSlipLines},
    {&R::m_bSlipChars, &R::m_SlipChars, iditems::kSlipChars},
    {&R::m_bMICRReads, &R::m_MICRReads, iditems::kMicrReads},
    {&R::m_bHoursOn, &R::m_HoursOn, iditems::kHoursOn},
    {&R::m_bFlashCycles, &R::m_FlashCycles, iditems::kFlashCycles},
    {&R::m_bKnifeJams, &R::m_KnifeJams, iditems::kKnifeJams},
    {&R::m_bCoverOpens, &R::m_CoverOpens, iditems::kCoverOpens},
    {&R::m_bMaxTemp, &R::m_MaxTemp, iditems::kMaxTemp},
    {&R::m_bRecBack, &R::m_RecBack, iditems::kReceiptLinesBack},
    {&R::m_bScantimes, &R::m_Scantimes, iditems::kScanTimes},
}};

// A tally reply is the tally's marker byte (the standard tally's read code)
// followed by its counter as decimal text. A reply without this tally's
// marker belongs to another tally and leaves this one waiting.
void parse(LanTallyReplies& replies, const Bytes& data, const TallySlot& slot) {
    bool& requested = replies.*slot.requested;
    if (!requested) return;
    const std::uint8_t marker = iditems::TallyCode(slot.tally, iditems::IdItemOp::Read, false);
    const auto at = std::find(data.begin(), data.end(), marker);
    if (at == data.end()) return;
    const std::string text(at + 1, data.end());
    // Rounded to the nearest whole number, halves to even.
    const double number = std::nearbyint(platform::Val(text));
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    replies.*slot.value = std::isnan(number) ? 0 : static_cast<std::int32_t>(std::clamp(number, lo, hi));
    requested = false;
}

}  // namespace

bool& LanTallyReplies::tallyRequested(int tally) { return this->*kSlots.at(static_cast<std::size_t>(tally)).requested; }

std::int32_t LanTallyReplies::tallyValue(int tally) const {
    return this->*kSlots.at(static_cast<std::size_t>(tally)).value;
}

void LanTallyReplies::parseWaitingTallies(const Bytes& data) {
    for (const TallySlot& slot : kSlots) parse(*this, data, slot);
}

void LanTallyReplies::ParseReceiptLineTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kReceiptLines]); }
void LanTallyReplies::ParseKnifeCutTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kKnifeCuts]); }
void LanTallyReplies::ParseSlipLinesTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kSlipLines]); }
void LanTallyReplies::ParseSlipCharsTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kSlipChars]); }
void LanTallyReplies::ParseMICRReadsTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kMicrReads]); }
void LanTallyReplies::ParseHoursOnTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kHoursOn]); }
void LanTallyReplies::ParseFlashCyclesTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kFlashCycles]); }
void LanTallyReplies::ParseKnifeJamsTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kKnifeJams]); }
void LanTallyReplies::ParseCoverOpensTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kCoverOpens]); }
void LanTallyReplies::ParseMaxTempTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kMaxTemp]); }
void LanTallyReplies::ParseRecBackTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kReceiptLinesBack]); }
void LanTallyReplies::ParseScantimesTally(const Bytes& d) { parse(*this, d, kSlots[iditems::kScanTimes]); }

}  // namespace printerlink
