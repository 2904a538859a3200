// The TCP tally replies: the tally window's request flag and value of each
// of the twelve tallies, and the parsers that fill them from the printer's
// TCP replies.
//
// Ownership: the link derives from it, so the window reaches the flags and
// values as the link's own. The tally window raises a flag when it asks
// for that tally over TCP; the link's TCP data route hands every reply to
// parseWaitingTallies, which fills each requested tally the reply carries
// and clears its flag. The reply itself goes on to the windows: parsing
// takes nothing away. Nothing here blocks or raises an error.
#pragma once

#include <cstdint>

#include "platform/Text.h"

namespace printerlink {

struct LanTallyReplies {
    // The values hold the printers' 8-digit counters.
    bool m_blnReceiptLinecmd = false;
    std::int32_t m_ReceiptLine = 0;
    bool m_bKnifeCut = false;
    std::int32_t m_KnifeCut = 0;
    bool m_bSlipLines = false;
    std::int32_t m_SlipLines = 0;
    bool m_bSlipChars = false;
    std::int32_t m_SlipChars = 0;
    bool m_bMICRReads = false;
    std::int32_t m_MICRReads = 0;
    bool m_bHoursOn = false;
    std::int32_t m_HoursOn = 0;
    bool m_bFlashCycles = false;
    std::int32_t m_FlashCycles = 0;
    bool m_bKnifeJams = false;
    std::int32_t m_KnifeJams = 0;
    bool m_bCoverOpens = false;
    std::int32_t m_CoverOpens = 0;
    bool m_bMaxTemp = false;
    std::int32_t m_MaxTemp = 0;
    bool m_bRecBack = false;
    std::int32_t m_RecBack = 0;
    bool m_bScantimes = false;
    std::int32_t m_Scantimes = 0;

    // The request flag and value of a tally by its index (IdItemCodes.h).
    bool& tallyRequested(int tally);
    std::int32_t tallyValue(int tally) const;

    // One TCP reply, offered to every tally still requested.
    void parseWaitingTallies(const platform::Bytes& data);

    // Each parser fills its tally only while it is requested.
    void ParseReceiptLineTally(const platform::Bytes& data);
    void ParseKnifeCutTally(const platform::Bytes& data);
    void ParseSlipLinesTally(const platform::Bytes& data);
    void ParseSlipCharsTally(const platform::Bytes& data);
    void ParseMICRReadsTally(const platform::Bytes& data);
    void ParseHoursOnTally(const platform::Bytes& data);
    void ParseFlashCyclesTally(const platform::Bytes& data);
    void ParseKnifeJamsTally(const platform::Bytes& data);
    void ParseCoverOpensTally(const platform::Bytes& data);
    void ParseMaxTempTally(const platform::Bytes& data);
    void ParseRecBackTally(const platform::Bytes& data);
    void ParseScantimesTally(const platform::Bytes& data);
};

}  // namespace printerlink
