// Conversions between numbers and texts, independent of the C locale and free of overflow.
#include "common/numbers.h"

#include <charconv>
#include <cmath>

#include "common/text.h"

namespace common {
namespace {

// The byte that the character at `offset` stands for once full-width forms are normalised,
// and moves `offset` past that character. Returns '\0' at the end of the text, at a zero byte
// and for a lead byte that is the last byte (which is dropped). A two-byte character that
// stays as it is comes back as its lead byte, which is never a blank, a sign or a digit.
char NextNormalisedByte(std::string_view text, std::size_t& offset) {
  if (offset >= text.size()) {
    return '\0';
  }
  const std::size_t at = offset;
  offset = NextCharacter(text, at);
  const char first = text[at];
  if (!IsLeadByte(first)) {
    return first;
  }
  if (offset - at == 1) {
    return '\0';
  }
  const auto lead = static_cast<unsigned char>(first);
  const auto trail = static_cast<unsigned char>(text[at + 1]);
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
    return static_cast<char>(trail - 0x80);  // ！ to ￣, among them ０-９, ＋ and －
  }
  if (lead == 0xA1) {
    switch (trail) {
      case 0xA1:
        return ' ';  // ideographic space
      case 0xAB:
        return '~';  // ～
      case 0xEE:
      case 0xEF:
        return '*';  // ☆ and ★
      default:
        break;
    }
  }
  return first;
}

constexpr bool IsAtoiSpace(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' ||
         byte == '\r';
}

constexpr double kTwoToThe32 = 4294967296.0;

}  // namespace

std::string IntegerToText(std::int32_t value) {
  char digits[16];
  return std::string(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

std::string RealToText(double value) {
  // to_chars with a precision writes exactly what "%.13g" writes in the C locale, whatever
  // locale the host has set (a comma decimal point must never reach the profile files).
  char digits[64];
  return std::string(
      digits,
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 13).ptr);
}

std::int32_t TextToInteger(std::string_view text) {
  std::size_t offset = 0;
  char byte = NextNormalisedByte(text, offset);
  while (IsAtoiSpace(byte)) {
    byte = NextNormalisedByte(text, offset);
  }
  const bool negative = byte == '-';
  if (byte == '+' || byte == '-') {
    byte = NextNormalisedByte(text, offset);
  }
  // Unsigned arithmetic wraps modulo 2^32 by definition, which is the result wanted for
  // numbers outside the 32-bit range.
  std::uint32_t value = 0;
  while (IsAsciiDigit(byte)) {
    value = value * 10u + static_cast<std::uint32_t>(byte - '0');
    byte = NextNormalisedByte(text, offset);
  }
  if (negative) {
    value = 0u - value;
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t RealToInteger(double value) {
  if (!std::isfinite(value)) {
    return 0;
  }
  const double truncated = std::trunc(value);
  if (truncated >= -2147483648.0 && truncated <= 2147483647.0) {
    return static_cast<std::int32_t>(truncated);
  }
  // fmod is exact, so this is the truncated value modulo 2^32 even far beyond 2^53.
  double low = std::fmod(truncated, kTwoToThe32);
  if (low < 0) {
    low += kTwoToThe32;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(low));
}

std::string BytesToText(std::string_view bytes) {
  return std::string(bytes.substr(0, bytes.find('\0')));
}

}  // namespace common
