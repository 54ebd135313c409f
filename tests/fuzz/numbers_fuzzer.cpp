// Fuzzes the conversions between numbers and texts against models written from their
// contracts: TextToInteger on arbitrary bytes (full-width forms, signs, overflow), and
// RealToInteger, RealToText and IntegerToText on arbitrary bit patterns.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "common/numbers.h"
#include "fuzz_support.h"

namespace {

// Step 1 of TextToInteger: full-width forms to ASCII, a lead byte at the very end dropped.
std::string Normalise(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += text[i++];
      continue;
    }
    if (i + 1 == text.size()) break;
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      out += static_cast<char>(trail - 0x80);
    } else if (lead == 0xA1 && trail == 0xA1) {
      out += ' ';
    } else if (lead == 0xA1 && trail == 0xAB) {
      out += '~';
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      out += '*';
    } else {
      out += text.substr(i, 2);
    }
    i += 2;
  }
  return out;
}

// Step 2: atoi in the C locale, accumulating modulo 2^32.
std::int32_t Atoi(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) != nullptr && text[i] != '\0') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

void Mismatch(const char* operation, const std::string& input, const std::string& got,
              const std::string& want) {
  std::fprintf(stderr, "%s(%s): got %s, model says %s\n", operation, input.c_str(), got.c_str(),
               want.c_str());
  fuzz::Check(false, operation);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Fields in(data, size);
  if ((in.flags() & 1) == 0) {
    // Text to number. The text is one field: the module's texts never hold a zero byte.
    const std::string_view text = in.Text();
    const std::int32_t got = common::TextToInteger(text);
    const std::int32_t want = Atoi(Normalise(text));
    if (got != want) {
      Mismatch("TextToInteger", fuzz::Printable(text), std::to_string(got), std::to_string(want));
    }
    // A number written by IntegerToText reads back as itself.
    if (common::TextToInteger(common::IntegerToText(got)) != got) {
      Mismatch("TextToInteger(IntegerToText)", std::to_string(got), "", "");
    }
    return 0;
  }
  // Number to text and back: eight bytes of a double's bit pattern.
  double value = 0;
  std::uint64_t bits = 0;
  std::memcpy(&bits, data + 1, std::min<std::size_t>(size - 1, sizeof bits));
  std::memcpy(&value, &bits, sizeof value);

  const std::int32_t got = common::RealToInteger(value);
  if (std::isfinite(value)) {
    // Truncation toward zero, then the low 32 bits (fmod is exact).
    double low = std::fmod(std::trunc(value), 4294967296.0);
    if (low < 0) low += 4294967296.0;
    const auto want = static_cast<std::int32_t>(static_cast<std::uint32_t>(low));
    if (got != want) {
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", value);
      Mismatch("RealToInteger", text, std::to_string(got), std::to_string(want));
    }
  }

  // "%.13g" wherever the module relies on it: finite values that need no exponent form.
  const std::string text = common::RealToText(value);
  if (std::isfinite(value) && (value == 0 || (std::fabs(value) >= 1e-4 && std::fabs(value) < 1e13))) {
    char want[64];
    std::snprintf(want, sizeof want, "%.13g", value);
    if (text != want) Mismatch("RealToText", want, text, want);
  }

  const auto integer = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
  char want[16];
  std::snprintf(want, sizeof want, "%d", integer);
  if (common::IntegerToText(integer) != want) {
    Mismatch("IntegerToText", want, common::IntegerToText(integer), want);
  }
  // Whole numbers that fit in 32 bits come back through RealToText and TextToInteger.
  if (common::TextToInteger(common::RealToText(static_cast<double>(integer))) != integer) {
    Mismatch("TextToInteger(RealToText)", want, common::RealToText(integer), want);
  }
  return 0;
}
