#include "platform/hid/HidSysfs.h"

#include "platform/Text.h"
#include "platform/hid/HidSystem.h"

namespace platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Splits "a:b:c" into exactly three fields.
bool splitThree(std::string_view text, std::string_view (&fields)[3]) {
    for (int i = 0; i < 2; ++i) {
        auto colon = text.find(':');
        if (colon == std::string_view::npos) return false;
        fields[i] = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    if (text.find(':') != std::string_view::npos) return false;
    fields[2] = text;
    return true;
}

std::string identifier(std::string_view prefix, std::uint16_t vendor, std::uint16_t product,
                       std::string_view instance) {
    std::string out(prefix);
    out += "\\\\VID_" + hex4(vendor) + "&PID_" + hex4(product) + "\\\\";
    out += instance;
    return out;
}

}  // namespace

bool parseHex16(std::string_view text, std::uint16_t& out) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (text.empty() || text.size() > 8) return false;
    std::uint32_t value = 0;
    for (char c : text) {
        int d = hexDigit(c);
        if (d < 0) return false;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    if (value > 0xFFFF) return false;
    out = static_cast<std::uint16_t>(value);
    return true;
}

HidUevent parseHidUevent(std::string_view text) {
    HidUevent ev;
    bool idSeen = false;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq);
        std::string_view value = line.substr(eq + 1);
        if (key == "HID_ID") {
            // A second HID_ID line would make the device ambiguous.
            if (idSeen) return HidUevent{};
            idSeen = true;
            std::string_view f[3];
            ev.valid = splitThree(value, f) && parseHex16(f[0], ev.bus) &&
                       parseHex16(f[1], ev.vendor) && parseHex16(f[2], ev.product);
        } else if (key == "HID_NAME") {
            ev.name = std::string(value);
        } else if (key == "HID_UNIQ") {
            ev.uniq = std::string(value);
        } else if (key == "HID_PHYS") {
            ev.phys = std::string(value);
        }
    }
    if (!ev.valid) return HidUevent{};
    return ev;
}

std::string hex4(std::uint16_t value) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out(4, '0');
    for (int i = 3; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = digits[value & 0xF];
        value = static_cast<std::uint16_t>(value >> 4);
    }
    return out;
}

std::string hidInstanceText(std::string_view physicalLocation) {
    std::string out = toUpperAscii(physicalLocation);
    for (char& c : out) {
        bool keep = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                    c == '-';
        if (!keep) c = '&';
    }
    return out;
}

std::string hidDeviceIdentifier(std::uint16_t vendor, std::uint16_t product,
                                std::string_view instance) {
    return identifier("HID", vendor, product, instance);
}

std::string usbDeviceIdentifier(std::uint16_t vendor, std::uint16_t product,
                                std::string_view instance) {
    return identifier("USB", vendor, product, instance);
}

std::string hidInterfacePath(std::uint16_t vendor, std::uint16_t product,
                             std::string_view instance) {
    return toLowerAscii("\\\\?\\hid#vid_" + hex4(vendor) + "&pid_" + hex4(product) + "#" +
                        std::string(instance) + "#") +
           kHidClassGuid;
}

}  // namespace platform
