#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/RuntimeError.h"

namespace platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// ASCII only: the user's locale must not change what counts as a digit.
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

struct Number {
    double value = 0;
    bool found = false;    // at least one digit
    std::size_t end = 0;   // just behind the number
};

// "&H1F" or "&O17" at `i`; not found when no digit of that base follows.
Number radixNumber(std::string_view t, std::size_t i, int base) {
    Number n;
    std::size_t j = i + 2;
    for (; j < t.size(); ++j) {
        const char c = upper(t[j]);
        int d = -1;
        if (isDigit(c)) d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        if (d < 0 || d >= base) break;
        n.value = n.value * base + d;
        n.found = true;
    }
    n.end = n.found ? j : i;
    return n;
}

// A decimal text too large or too small for a double: infinity or zero, as
// the C library gives them, decided by where its first significant digit
// stands.
double outOfRange(std::string_view digits, std::string_view exponent) {
    const std::size_t point = std::min(digits.find('.'), digits.size());
    const std::size_t first = digits.find_first_of("123456789");
    if (first == std::string_view::npos) return 0;
    // The decimal exponent of the first significant digit, plus one.
    const long long position = first < point ? static_cast<long long>(point - first)
                                             : -static_cast<long long>(first - point - 1);
    const bool negative = exponent.starts_with('-');
    long long e = 0;
    for (std::size_t k = negative ? 1 : 0; k < exponent.size() && e < 100000; ++k)
        e = e * 10 + (exponent[k] - '0');
    if (negative) e = -e;
    return position + e > 0 ? HUGE_VAL : 0.0;
}

// The number that starts at `i` (no blanks skipped): a sign, digits with at
// most one decimal point, an exponent (E or D) when digits follow it; or
// the radix forms. Read by C rules: the point is the decimal separator
// whatever the user's locale says.
Number numberAt(std::string_view t, std::size_t i) {
    if (i + 1 < t.size() && t[i] == '&') {
        const char kind = upper(t[i + 1]);
        if (kind == 'H') return radixNumber(t, i, 16);
        if (kind == 'O') return radixNumber(t, i, 8);
    }
    Number n;
    n.end = i;
    std::size_t j = i;
    const bool negative = j < t.size() && t[j] == '-';
    if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
    const std::size_t mantissaStart = j;
    bool dot = false;
    for (; j < t.size(); ++j) {
        if (isDigit(t[j])) n.found = true;
        else if (t[j] == '.' && !dot) dot = true;
        else break;
    }
    if (!n.found) return n;
    std::string text(t.substr(mantissaStart, j - mantissaStart));
    std::string exponent;
    if (j < t.size() && (upper(t[j]) == 'E' || upper(t[j]) == 'D')) {
        std::size_t k = j + 1;
        if (k < t.size() && (t[k] == '+' || t[k] == '-')) ++k;
        const std::size_t digitsFrom = k;
        while (k < t.size() && isDigit(t[k])) ++k;
        if (k > digitsFrom) {
            exponent = std::string(t.substr(j + 1, k - j - 1));
            if (exponent[0] == '+') exponent.erase(0, 1);
            text += 'e' + exponent;
            j = k;
        }
    }
    n.end = j;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), n.value);
    if (read.ec == std::errc::result_out_of_range)
        n.value = outOfRange(std::string_view(text).substr(0, text.find('e')), exponent);
    if (negative) n.value = -n.value;
    return n;
}

std::size_t skipBlanks(std::string_view t, std::size_t i) {
    while (i < t.size() && isBlank(t[i])) ++i;
    return i;
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

double Val(std::string_view text) { return numberAt(text, skipBlanks(text, 0)).value; }

double CDbl(std::string_view text) {
    const Number n = numberAt(text, skipBlanks(text, 0));
    if (!n.found || skipBlanks(text, n.end) != text.size()) raiseError(err::TypeMismatch);
    if (std::isinf(n.value)) raiseError(err::Overflow);
    return n.value;
}

std::uint8_t CByte(double value) { return checkedRound<std::uint8_t>(value, 0, 255); }
std::int16_t CInt(double value) { return checkedRound<std::int16_t>(value, -32768, 32767); }
std::int32_t CLng(double value) { return checkedRound<std::int32_t>(value, -2147483648.0, 2147483647.0); }
std::uint8_t CByte(std::string_view text) { return CByte(CDbl(text)); }
std::int16_t CInt(std::string_view text) { return CInt(CDbl(text)); }
std::int32_t CLng(std::string_view text) { return CLng(CDbl(text)); }

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
