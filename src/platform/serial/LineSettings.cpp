#include <string>
#include <string_view>
#include <vector>

#include "platform/RuntimeError.h"
#include "platform/serial/SerialControl.h"

namespace platform {

namespace {

[[noreturn]] void refuse(const std::string& settings) {
    throw RuntimeError(err::InvalidProperty,
                       errorDescription(err::InvalidProperty) + " (Settings \"" + settings + "\")");
}

// Blanks around a field are tolerated; anything else in it must be digits.
bool readNumber(std::string_view field, int& out) {
    std::string text = trim(field);
    if (text.empty() || text.size() > 7) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

}  // namespace

LineSettings parseLineSettings(const std::string& settings) {
    std::vector<std::string_view> fields = splitFields(settings);
    if (fields.size() != 4) refuse(settings);

    LineSettings line;
    if (!readNumber(fields[0], line.baud) || line.baud <= 0) refuse(settings);

    std::string parity = toUpperAscii(trim(fields[1]));
    if (parity.size() != 1 || std::string_view("NEOMS").find(parity[0]) == std::string_view::npos)
        refuse(settings);
    line.parity = parity[0];

    if (!readNumber(fields[2], line.dataBits) || line.dataBits < 4 || line.dataBits > 8) refuse(settings);
    // 1.5 stop bits has no place in the parsed form; it is refused like any other value.
    if (!readNumber(fields[3], line.stopBits) || (line.stopBits != 1 && line.stopBits != 2)) refuse(settings);
    return line;
}

}  // namespace platform
