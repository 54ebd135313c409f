// Conversions between numbers and texts for stored values and user input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// "%d": 0 -> "0", 30 -> "30", -5 -> "-5".
std::string IntegerToText(std::int32_t value);

// "%.13g" in the C locale whatever the host's locale: 3.0 -> "3", 31.0 -> "31", 0.5 -> "0.5";
// whole numbers below 10^13 come out as IntegerToText writes them. NaN and infinities give
// "nan", "-nan", "inf" or "-inf" (the module never stores them).
std::string RealToText(double value);

// Full-width GBK forms (０-９, ＋, －, ideographic space, ...) normalised to ASCII, then atoi in
// the C locale, wrapping modulo 2^32 without overflow checks: "  -7" -> -7, "12abc" -> 12,
// "abc" and "" -> 0, "１２" -> 12, the text of 2^32 + 1 -> 1.
std::int32_t TextToInteger(std::string_view text);

// Truncation toward zero: 29.99 -> 29, -0.5 -> 0. Out of the 32-bit range yields the low 32 bits
// of the truncated value, read as signed (2^32 + 5 -> 5). NaN and infinities have no such bits
// and give 0.
std::int32_t RealToInteger(double value);

// The bytes up to the first zero byte, or all of them; no bytes give the empty text.
std::string BytesToText(std::string_view bytes);

}  // namespace common
