// Pure text helpers of the hidraw enumeration: the kernel's uevent lines and
// the device identifier and interface path texts the discovery code reads.
//
// Nothing here touches the file system or blocks; every function takes text
// and returns text, so they are tested without hardware. Bad input (missing
// keys, a HID_ID that does not parse, endless lines) gives an invalid result,
// never an exception.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::uint16_t kHidBusUsb = 0x0003;

// What a HID device's uevent file tells about it.
struct HidUevent {
    bool valid = false;  // HID_ID was present and parsed
    std::uint16_t bus = 0;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string name;  // HID_NAME
    std::string uniq;  // HID_UNIQ
    std::string phys;  // HID_PHYS
};

// Parses KEY=VALUE lines. HID_ID must hold three colon-separated hex fields
// (bus, vendor, product) of 1 to 8 digits, each at most FFFF; anything else
// leaves the result invalid. Unknown keys and lines without '=' are ignored.
HidUevent parseHidUevent(std::string_view text);

// A hex number of 1 to 8 digits whose value fits 16 bits, with surrounding
// blanks and line ends allowed ("1b7d\n", "00001B7D"); false otherwise.
bool parseHex16(std::string_view text, std::uint16_t& out);

// Four upper-case hex digits ("1B7D").
std::string hex4(std::uint16_t value);

// A stable instance text for the identifier: the physical location
// (HID_PHYS, e.g. "usb-0000:00:14.0-2/input0") in capitals, every character
// other than a letter, digit, '.', '_' or '-' turned into '&'. The result
// never holds a backslash, '#', '=' or '"', which the discovery code would
// split or rewrite. Empty when the location is empty.
std::string hidInstanceText(std::string_view physicalLocation);

// HID\\VID_1B7D&PID_D2A8\\<instance> with the backslashes doubled, as the
// USB controller association list gives it; characters 1-3, 6-22 and 10-13
// (counted from 1) hold "HID", "VID_1B7D&PID_D2A8" and "1B7D".
std::string hidDeviceIdentifier(std::uint16_t vendor, std::uint16_t product,
                                std::string_view instance);
// USB\\VID_xxxx&PID_xxxx\\<instance>, for USB devices that are not HID.
std::string usbDeviceIdentifier(std::uint16_t vendor, std::uint16_t product,
                                std::string_view instance);
// \\?\hid#vid_1b7d&pid_d2a8#<instance in lower case>#{class guid}
std::string hidInterfacePath(std::uint16_t vendor, std::uint16_t product,
                             std::string_view instance);

}  // namespace platform
