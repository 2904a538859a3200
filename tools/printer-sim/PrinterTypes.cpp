#include "printer-sim/PrinterTypes.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace sim {

namespace {
// Variants share their family's product ID. The 3740-R801 has no product ID
// of its own in the utility's tables (its product name maps to a truncated
// "D2A"), so the simulator gives it D2A0, which no list of the utility
// contains: discovery passes it over, as it would a real one.
constexpr std::array<PrinterTypeInfo, kPrinterTypeCount> kTypes{{
    {0, "3640", 0xD2A8, true},
    {1, "3640-x035", 0xD2A8, true},
    {2, "3640-5xxx/6xxx", 0xD2A8, true},
    {3, "3650", 0xD2C2, true},
    {4, "3650-5xxx", 0xD2C2, true},
    {5, "3680", 0xD2AB, false},
    {6, "3680-5xxx/6xxx", 0xD2AB, false},
    {7, "3690", 0xD2CE, false},
    {8, "3690-xx4x", 0xD2E3, false},
    {9, "3720-2ST", 0xD2F4, false},
    {10, "R806", 0xD2C5, false},
    {11, "R807", 0xD2A5, false},
    {12, "R809", 0xD2CB, false},
    {13, "3740-R801", 0xD2A0, false},
    {14, "M27x", 0xD2C8, false},
    {15, "3720-1ST", 0xD2F1, false},
    {16, "3695", 0xD2ED, false},
}};
}  // namespace

const PrinterTypeInfo& printerType(int type) {
    if (type < 0 || type >= kPrinterTypeCount) throw std::out_of_range("printer type " + std::to_string(type));
    return kTypes[static_cast<std::size_t>(type)];
}

std::string usbProductText(int type) {
    char text[32];
    std::snprintf(text, sizeof text, "VID_%04X&PID_%04X", kVendorId, printerType(type).productId);
    return text;
}

}  // namespace sim
