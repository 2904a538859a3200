#include "platform/Text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/RuntimeError.h"

namespace platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Parses the number at the start of `t` (after blanks); `consumed` is false
// when no digit was found.
double parseLeading(std::string_view t, bool& found) {
    std::size_t i = 0;
    while (i < t.size() && isBlank(t[i])) ++i;
    found = false;
    if (i + 1 < t.size() && t[i] == '&') {
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(t[i + 1])));
        const int base = kind == 'H' ? 16 : (kind == 'O' ? 8 : 0);
        if (base) {
            double v = 0;
            for (std::size_t j = i + 2; j < t.size(); ++j) {
                const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[j])));
                int d = -1;
                if (c >= '0' && c <= '9') d = c - '0';
                else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
                if (d < 0 || d >= base) break;
                v = v * base + d;
                found = true;
            }
            return v;
        }
    }
    std::string num;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) num += t[i++];
    bool dot = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            num += c;
            found = true;
        } else if (c == '.' && !dot) {
            num += c;
            dot = true;
        } else {
            break;
        }
    }
    if (found && i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        std::size_t j = i + 1;
        std::string ex = "e";
        if (j < t.size() && (t[j] == '+' || t[j] == '-')) ex += t[j++];
        std::size_t digits = 0;
        while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j]))) ex += t[j++], ++digits;
        if (digits) num += ex;
    }
    if (!found) return 0;
    return std::strtod(num.c_str(), nullptr);
}

double roundHalfEven(double v) {
    const double r = std::nearbyint(v);  // default rounding mode is to nearest, ties to even
    return r;
}

template <typename T>
T checkedRound(double value, double lo, double hi) {
    if (std::isnan(value)) raiseError(err::Overflow);
    const double r = roundHalfEven(value);
    if (r < lo || r > hi) raiseError(err::Overflow);
    return static_cast<T>(r);
}

// Unicode code points of CP1252 bytes 80..9F; the five undefined ones map to
// the C1 control of the same value so that every byte survives a round trip.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t toUnicode(unsigned char b) { return (b >= 0x80 && b <= 0x9F) ? kHigh[b - 0x80] : b; }

int fromUnicode(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}

}  // namespace

double Val(std::string_view text) {
    bool found = false;
    return parseLeading(text, found);
}

double CDbl(std::string_view text) {
    bool found = false;
    const double v = parseLeading(text, found);
    if (!found) raiseError(err::TypeMismatch);
    return v;
}

std::uint8_t CByte(double value) { return checkedRound<std::uint8_t>(value, 0, 255); }
std::int16_t CInt(double value) { return checkedRound<std::int16_t>(value, -32768, 32767); }
std::int32_t CLng(double value) { return checkedRound<std::int32_t>(value, -2147483648.0, 2147483647.0); }

Bytes toBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string toText(std::span<const std::uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string toTextUntilNul(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (auto b : bytes) {
        if (b == 0) break;
        out += static_cast<char>(b);
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const char32_t cp = toUnicode(static_cast<unsigned char>(ch));
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string utf8ToCp1252(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t cp;
        std::size_t len;
        if (b < 0x80) cp = b, len = 1;
        else if ((b & 0xE0) == 0xC0) cp = b & 0x1F, len = 2;
        else if ((b & 0xF0) == 0xE0) cp = b & 0x0F, len = 3;
        else if ((b & 0xF8) == 0xF0) cp = b & 0x07, len = 4;
        else { out += '?'; ++i; continue; }
        bool ok = i + len <= text.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            else cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) { out += '?'; ++i; continue; }
        const int mapped = fromUnicode(cp);
        out += mapped < 0 ? '?' : static_cast<char>(mapped);
        i += len;
    }
    return out;
}

std::string toUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string toLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && toUpperAscii(a) == toUpperAscii(b);
}

std::string trimLeft(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    return std::string(text.substr(i));
}

std::string trimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && text[n - 1] == ' ') --n;
    return std::string(text.substr(0, n));
}

std::string trim(std::string_view text) { return trimRight(trimLeft(text)); }

std::string str(long long value) { return std::to_string(value); }

std::string hex(unsigned long long value) {
    static const char* digits = "0123456789ABCDEF";
    if (value == 0) return "0";
    std::string out;
    while (value) {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    }
    return out;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0xF];
    }
    return out;
}

}  // namespace platform
