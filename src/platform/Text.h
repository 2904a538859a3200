// Text and byte helpers.
//
// All text in the utility is std::string holding single-byte Windows-1252
// characters, exactly the bytes the printer and the settings files see.
// UTF-8 appears only at the Qt boundary (cp1252ToUtf8 / utf8ToCp1252).
// Conversions that the utility's descriptions call "overflow" throw
// RuntimeError 6; nothing here blocks or touches the loop.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using Bytes = std::vector<std::uint8_t>;

// Numbers are read by C rules whatever the user's locale: the decimal
// separator is always the point, and no thousands separators are taken.

// Numeric value of the leading number in the text: leading blanks, tabs and
// line feeds are skipped, an optional sign, digits, one decimal point and an
// exponent are taken, and reading stops at the first character that cannot
// continue the number ("12ab" is 12, "ab" is 0). "&H1F" and "&O17" read as
// hexadecimal and octal.
double Val(std::string_view text);

// Rounds half to even as the conversions of the utility's language do, then
// range-checks; out of range throws RuntimeError 6.
std::uint8_t CByte(double value);
std::int16_t CInt(double value);
std::int32_t CLng(double value);
// Text to number: the text must be one whole number in Val's forms, with
// nothing but blanks around it; anything else ("", "abc", "9100x", "1.5.2")
// throws RuntimeError 13. The integer forms then round and range-check as
// above.
double CDbl(std::string_view text);
std::uint8_t CByte(std::string_view text);
std::int16_t CInt(std::string_view text);
std::int32_t CLng(std::string_view text);

// Text <-> bytes, one byte per character (CP1252 is single-byte).
Bytes toBytes(std::string_view text);
std::string toText(std::span<const std::uint8_t> bytes);
// Like toText, but everything from the first zero byte on is dropped.
std::string toTextUntilNul(std::span<const std::uint8_t> bytes);

// CP1252 <-> UTF-8. The five undefined CP1252 bytes (81 8D 8F 90 9D) map to
// the C1 control characters of the same value so every byte round-trips.
// Characters of UTF-8 input that CP1252 cannot hold become '?'.
std::string cp1252ToUtf8(std::string_view text);
std::string utf8ToCp1252(std::string_view text);

// ASCII case folding; other bytes are left alone.
std::string toUpperAscii(std::string_view text);
std::string toLowerAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Blanks (spaces) only, as the utility's Trim functions do.
std::string trim(std::string_view text);
std::string trimLeft(std::string_view text);
std::string trimRight(std::string_view text);

// Decimal text of a number without a leading blank ("12", "-3").
std::string str(long long value);
// Upper-case hexadecimal without leading zeros ("1B7D").
std::string hex(unsigned long long value);
// Two-digit upper-case hex of each byte, separated by one blank ("1D 49 40").
std::string hexBytes(std::span<const std::uint8_t> bytes);

}  // namespace platform
