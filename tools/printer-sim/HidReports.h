// USB HID report framing as the printer sees it. Pure functions.
//
// Output reports (utility -> printer) are [08][length][bytes][zero padding].
// The utility writes the length byte two ways: one more than the number of
// command bytes (the per-command framing; the extra counted byte is the first
// zero of the padding) and the exact count (the pieces of a long array). The
// two cannot always be told apart; the rule here: when the counted bytes fit
// in the report and the last of them is zero, that zero is padding. So a
// piece of a long array whose last byte happens to be 00 loses that byte.
// A length byte of 61 is always an exact count: the utility cuts long arrays
// (bit images among them) into pieces of 61, while a framed command has that
// length byte only when it is 60 bytes long, and then the byte read beyond
// it is padding (a NUL). So only the last piece of a long array, whose last
// byte may be dropped, stays ambiguous.
//
// Input reports (printer -> utility) are [09][n][data][zero padding] at the
// device's input report length; a longer reply takes several reports.
#pragma once

#include <string>
#include <vector>

#include "platform/Text.h"

namespace sim {

inline constexpr std::uint8_t kOutputReportId = 0x08;
inline constexpr std::uint8_t kInputReportId = 0x09;

struct OutputReport {
    // ParameterPacket: 08, then ESC @ and the configuration command with no
    // length byte, zero padded.
    enum class Framing { Unframed, CountPlusOne, ExactCount, ParameterPacket };
    Framing framing = Framing::Unframed;
    platform::Bytes data;  // the command bytes; empty for an unframed report
};

OutputReport decodeOutputReport(const platform::Bytes& report);
std::string framingName(OutputReport::Framing framing);

std::vector<platform::Bytes> encodeInputReports(const platform::Bytes& data, std::size_t reportLength);

}  // namespace sim
