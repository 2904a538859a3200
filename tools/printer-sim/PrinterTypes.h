// The printer family as the simulated printer presents it: type codes 0-16,
// their model names, and the USB identity each shows on a USB HID link.
// A pure table; nothing here blocks or keeps state.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

inline constexpr std::uint16_t kVendorId = 0x1B7D;
inline constexpr int kPrinterTypeCount = 17;

struct PrinterTypeInfo {
    int type;
    const char* model;        // as the utility's model list names it
    std::uint16_t productId;  // USB product ID
    bool slip;                // models with an impact slip station (types 0-4)
};

// Throws std::out_of_range for a type outside 0-16.
const PrinterTypeInfo& printerType(int type);

// "VID_1B7D&PID_D2A8" for the type's USB identity.
std::string usbProductText(int type);

}  // namespace sim
