// Our own small parser of HID report descriptors, for the capabilities the
// printer link reads: the top-level collection's usage and usage page and
// the longest input, output and feature report.
//
// A pure function over bytes: no I/O, no allocation beyond the result, never
// throws. A descriptor that is truncated, unbalanced or otherwise not a
// report descriptor gives nullopt rather than guessed lengths.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/hid/HidSystem.h"

namespace platform {

// The largest report hidraw will pass in one piece; longer reports in a
// descriptor mean the descriptor is not to be trusted.
inline constexpr std::uint32_t kMaxHidReportBytes = 16384;

struct ReportDescriptorInfo {
    // Report byte lengths count byte 0 (the report ID, or the zero byte that
    // stands in for it when the device uses no report IDs); a kind of report
    // the device does not have gives 0. NumberInputValueCaps counts input
    // data items that carry values (variable items wider than one bit).
    HidCaps caps;
    // hidraw passes the reports of a device without report IDs without
    // byte 0, which the caller expects on every report.
    bool usesReportIds = false;
};

std::optional<ReportDescriptorInfo> parseReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace platform
