#include "link/LanTallyReplies.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "link/IdItemCodes.h"

namespace printerlink {

using platform::Bytes;

namespace {
// The marker a standard tally's reply starts with: its read code.
std::uint8_t tallyMarker(int tally) { return iditems::TallyCode(tally, iditems::IdItemOp::Read, false); }
}  // namespace

void LanTallyReplies::parseWaitingTallies(const Bytes& data) {
    if (m_blnReceiptLinecmd) ParseReceiptLineTally(data);
    if (m_bKnifeCut) ParseKnifeCutTally(data);
    if (m_bSlipLines) ParseSlipLinesTally(data);
    if (m_bSlipChars) ParseSlipCharsTally(data);
    if (m_bMICRReads) ParseMICRReadsTally(data);
    if (m_bHoursOn) ParseHoursOnTally(data);
    if (m_bFlashCycles) ParseFlashCyclesTally(data);
    if (m_bKnifeJams) ParseKnifeJamsTally(data);
    if (m_bCoverOpens) ParseCoverOpensTally(data);
    if (m_bMaxTemp) ParseMaxTempTally(data);
    if (m_bRecBack) ParseRecBackTally(data);
    if (m_bScantimes) ParseScantimesTally(data);
}

// A tally reply is the tally's marker byte followed by its counter as
// decimal text. A reply without this tally's marker belongs to another
// tally and leaves this one waiting.
void LanTallyReplies::parseTally(const Bytes& data, bool& requested, std::uint8_t marker, std::int32_t& value) {
    if (!requested) return;
    const auto at = std::find(data.begin(), data.end(), marker);
    if (at == data.end()) return;
    const std::string text(at + 1, data.end());
    // Rounded to the nearest whole number, halves to even.
    const double number = std::nearbyint(platform::Val(text));
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    value = std::isnan(number) ? 0 : static_cast<std::int32_t>(std::clamp(number, lo, hi));
    requested = false;
}

void LanTallyReplies::ParseReceiptLineTally(const Bytes& d) {
    parseTally(d, m_blnReceiptLinecmd, tallyMarker(iditems::kReceiptLines), m_ReceiptLine);
}
void LanTallyReplies::ParseKnifeCutTally(const Bytes& d) {
    parseTally(d, m_bKnifeCut, tallyMarker(iditems::kKnifeCuts), m_KnifeCut);
}
void LanTallyReplies::ParseSlipLinesTally(const Bytes& d) {
    parseTally(d, m_bSlipLines, tallyMarker(iditems::kSlipLines), m_SlipLines);
}
void LanTallyReplies::ParseSlipCharsTally(const Bytes& d) {
    parseTally(d, m_bSlipChars, tallyMarker(iditems::kSlipChars), m_SlipChars);
}
void LanTallyReplies::ParseMICRReadsTally(const Bytes& d) {
    parseTally(d, m_bMICRReads, tallyMarker(iditems::kMicrReads), m_MICRReads);
}
void LanTallyReplies::ParseHoursOnTally(const Bytes& d) {
    parseTally(d, m_bHoursOn, tallyMarker(iditems::kHoursOn), m_HoursOn);
}
void LanTallyReplies::ParseFlashCyclesTally(const Bytes& d) {
    parseTally(d, m_bFlashCycles, tallyMarker(iditems::kFlashCycles), m_FlashCycles);
}
void LanTallyReplies::ParseKnifeJamsTally(const Bytes& d) {
    parseTally(d, m_bKnifeJams, tallyMarker(iditems::kKnifeJams), m_KnifeJams);
}
void LanTallyReplies::ParseCoverOpensTally(const Bytes& d) {
    parseTally(d, m_bCoverOpens, tallyMarker(iditems::kCoverOpens), m_CoverOpens);
}
void LanTallyReplies::ParseMaxTempTally(const Bytes& d) {
    parseTally(d, m_bMaxTemp, tallyMarker(iditems::kMaxTemp), m_MaxTemp);
}
void LanTallyReplies::ParseRecBackTally(const Bytes& d) {
    parseTally(d, m_bRecBack, tallyMarker(iditems::kReceiptLinesBack), m_RecBack);
}
void LanTallyReplies::ParseScantimesTally(const Bytes& d) {
    parseTally(d, m_bScantimes, tallyMarker(iditems::kScanTimes), m_Scantimes);
}

}  // namespace printerlink
