// GB18030 <-> UTF-8 through the generated tables in gb18030_tables.inc, plus the few private-use
// characters glibc leaves without a code.
#include "gb18030.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace robothost::onebot::gb18030 {
namespace {

struct TwoByteSupplementary {
  std::uint16_t code;
  std::uint32_t code_point;
};

struct FourByteRun {
  std::uint16_t first_index;  // linear index counted from 0x81308130
  std::uint16_t first_code_point;
  std::uint16_t length;
};

struct FourByteCode {
  std::uint16_t index;
  std::uint16_t code_point;
};

#include "gb18030_tables.inc"

// Private-use characters glibc has no code for: it gave their GB18030-2005 two-byte codes to
// the real characters (0xA6D9 is U+FE10, not U+E78D). GB18030-2022 gives them the four-byte
// codes glibc leaves unassigned, so text holding them still converts and reads back.
struct FourBytePrivateUse {
  std::uint32_t code;
  std::uint16_t code_point;
};
constexpr FourBytePrivateUse kFourBytePrivateUse[] = {
    {0x82359037, 0xE81E}, {0x82359038, 0xE826}, {0x82359039, 0xE82B}, {0x82359130, 0xE82C},
    {0x82359131, 0xE832}, {0x82359132, 0xE843}, {0x82359133, 0xE854}, {0x82359134, 0xE864},
    {0x84318236, 0xE78D}, {0x84318237, 0xE78F}, {0x84318238, 0xE78E}, {0x84318239, 0xE790},
    {0x84318330, 0xE791}, {0x84318331, 0xE792}, {0x84318332, 0xE793}, {0x84318333, 0xE794},
    {0x84318334, 0xE795}, {0x84318335, 0xE796},
};

// Private-use stand-ins for six supplementary-plane characters. Their GB18030 codes are the
// two-byte codes glibc reads as those characters (0xFE51 is U+20087), so they are encoded one
// way: the text reads back with the real character in place of the stand-in.
struct PrivateUseTwoByte {
  std::uint16_t code_point;
  std::uint16_t code;
};
constexpr PrivateUseTwoByte kPrivateUseTwoByte[] = {
    {0xE816, 0xFE51}, {0xE817, 0xFE52}, {0xE818, 0xFE53},
    {0xE831, 0xFE6C}, {0xE83B, 0xFE76}, {0xE855, 0xFE91},
};

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::uint32_t kBmpFourByteCount = 39420;          // 0x81308130..0x8431A439
constexpr std::uint32_t kFirstSupplementaryIndex = 189000;  // 0x90308130, U+10000
constexpr char32_t kLastCodePoint = 0x10FFFF;

std::uint8_t Byte(std::string_view text, std::size_t position) {
  return static_cast<std::uint8_t>(text[position]);
}

bool IsLeadByte(std::uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
bool IsFourByteDigit(std::uint8_t byte) { return byte >= 0x30 && byte <= 0x39; }

// ---- GB18030 to code points

// The code point of the two-byte code lead:trail (trail already checked to be 0x40..0x7E or
// 0x80..0xFE); every such code has one.
char32_t DecodeTwoByte(std::uint8_t lead, std::uint8_t trail) {
  const std::size_t column = trail < 0x7F ? trail - 0x40u : trail - 0x41u;
  const std::uint16_t value = kTwoByteToUnicode[(lead - 0x81u) * 190u + column];
  if (value != 0) return value;
  const std::uint16_t code = static_cast<std::uint16_t>(lead << 8 | trail);
  for (const TwoByteSupplementary& entry : kTwoByteSupplementary) {
    if (entry.code == code) return entry.code_point;
  }
  return kReplacement;  // not reached: the generator only leaves 0 for the listed codes
}

// The code point of the BMP-area four-byte code at `index`, or nullopt where none is assigned.
std::optional<char32_t> DecodeBmpFourByte(std::uint32_t index, std::uint32_t code) {
  const auto after = std::upper_bound(
      std::begin(kFourByteBmpRuns), std::end(kFourByteBmpRuns), index,
      [](std::uint32_t value, const FourByteRun& run) { return value < run.first_index; });
  if (after != std::begin(kFourByteBmpRuns)) {
    const FourByteRun& run = *std::prev(after);
    if (index - run.first_index < run.length) {
      return static_cast<char32_t>(run.first_code_point + (index - run.first_index));
    }
  }
  for (const FourByteCode& entry : kFourByteBmpOutOfOrder) {
    if (entry.index == index) return entry.code_point;
  }
  for (const FourBytePrivateUse& entry : kFourBytePrivateUse) {
    if (entry.code == code) return entry.code_point;
  }
  return std::nullopt;
}

// The character starting at text[position]: its code point and length in bytes, or length 0
// when the bytes there start no complete, assigned character.
struct Decoded {
  char32_t code_point;
  std::size_t length;
};
Decoded DecodeAt(std::string_view text, std::size_t position) {
  constexpr Decoded kInvalid{kReplacement, 0};
  const std::uint8_t first = Byte(text, position);
  if (first < 0x80) return {first, 1};
  if (!IsLeadByte(first) || position + 1 >= text.size()) return kInvalid;
  const std::uint8_t second = Byte(text, position + 1);
  if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE)) {
    return {DecodeTwoByte(first, second), 2};
  }
  if (!IsFourByteDigit(second) || position + 3 >= text.size()) return kInvalid;
  const std::uint8_t third = Byte(text, position + 2);
  const std::uint8_t fourth = Byte(text, position + 3);
  if (!IsLeadByte(third) || !IsFourByteDigit(fourth)) return kInvalid;
  const std::uint32_t index =
      (((first - 0x81u) * 10u + (second - 0x30u)) * 126u + (third - 0x81u)) * 10u +
      (fourth - 0x30u);
  if (index < kBmpFourByteCount) {
    const std::uint32_t code = static_cast<std::uint32_t>(first) << 24 |
                               static_cast<std::uint32_t>(second) << 16 |
                               static_cast<std::uint32_t>(third) << 8 | fourth;
    const std::optional<char32_t> code_point = DecodeBmpFourByte(index, code);
    if (!code_point) return kInvalid;
    return {*code_point, 4};
  }
  if (index >= kFirstSupplementaryIndex && index - kFirstSupplementaryIndex <= 0xFFFFF) {
    return {static_cast<char32_t>(0x10000 + (index - kFirstSupplementaryIndex)), 4};
  }
  return kInvalid;
}

void AppendUtf8(char32_t code_point, std::string& out) {
  const auto byte = [](std::uint32_t value) { return static_cast<char>(value); };
  if (code_point < 0x80) {
    out += byte(code_point);
  } else if (code_point < 0x800) {
    out += byte(0xC0 | code_point >> 6);
    out += byte(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += byte(0xE0 | code_point >> 12);
    out += byte(0x80 | (code_point >> 6 & 0x3F));
    out += byte(0x80 | (code_point & 0x3F));
  } else {
    out += byte(0xF0 | code_point >> 18);
    out += byte(0x80 | (code_point >> 12 & 0x3F));
    out += byte(0x80 | (code_point >> 6 & 0x3F));
    out += byte(0x80 | (code_point & 0x3F));
  }
}

// ---- code points to GB18030

void AppendTwoByte(std::uint16_t code, std::string& out) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

void AppendFourByte(std::uint32_t index, std::string& out) {
  const std::uint32_t fourth = index % 10;
  index /= 10;
  const std::uint32_t third = index % 126;
  index /= 126;
  const std::uint32_t second = index % 10;
  const std::uint32_t first = index / 10;
  out += static_cast<char>(0x81 + first);
  out += static_cast<char>(0x30 + second);
  out += static_cast<char>(0x81 + third);
  out += static_cast<char>(0x30 + fourth);
}

void AppendFourByteCode(std::uint32_t code, std::string& out) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(code >> shift & 0xFF);
}

// Appends the GB18030 code of a BMP code point other than a surrogate; false for a code point
// that has none (none is left once the private-use additions are counted).
bool AppendBmp(char32_t code_point, std::string& out) {
  const std::uint16_t two_byte =
      kTwoByteBlocks[kTwoByteBlockIndex[code_point >> 8]][code_point & 0xFF];
  if (two_byte != 0) {
    AppendTwoByte(two_byte, out);
    return true;
  }
  const auto after = std::upper_bound(
      std::begin(kFourByteBmpRuns), std::end(kFourByteBmpRuns), code_point,
      [](char32_t value, const FourByteRun& run) { return value < run.first_code_point; });
  if (after != std::begin(kFourByteBmpRuns)) {
    const FourByteRun& run = *std::prev(after);
    if (code_point - run.first_code_point < run.length) {
      AppendFourByte(run.first_index + (code_point - run.first_code_point), out);
      return true;
    }
  }
  for (const FourByteCode& entry : kFourByteBmpOutOfOrder) {
    if (entry.code_point == code_point) {
      AppendFourByte(entry.index, out);
      return true;
    }
  }
  for (const FourBytePrivateUse& entry : kFourBytePrivateUse) {
    if (entry.code_point == code_point) {
      AppendFourByteCode(entry.code, out);
      return true;
    }
  }
  for (const PrivateUseTwoByte& entry : kPrivateUseTwoByte) {
    if (entry.code_point == code_point) {
      AppendTwoByte(entry.code, out);
      return true;
    }
  }
  return false;
}

void AppendSupplementary(char32_t code_point, std::string& out) {
  for (const TwoByteSupplementary& entry : kTwoByteSupplementary) {
    if (entry.code_point == code_point) {
      AppendTwoByte(entry.code, out);
      return;
    }
  }
  AppendFourByte(kFirstSupplementaryIndex + (code_point - 0x10000), out);
}

// Reads one well-formed UTF-8 sequence at text[position] into `code_point` and moves `position`
// past it; false when the bytes there are not well-formed UTF-8.
bool NextUtf8(std::string_view text, std::size_t& position, char32_t& code_point) {
  const std::uint8_t first = Byte(text, position);
  if (first < 0x80) {
    code_point = first;
    ++position;
    return true;
  }
  std::size_t length = 0;
  std::uint8_t second_low = 0x80;  // the second byte's range excludes overlongs and surrogates
  std::uint8_t second_high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    if (first == 0xE0) second_low = 0xA0;
    if (first == 0xED) second_high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    if (first == 0xF0) second_low = 0x90;
    if (first == 0xF4) second_high = 0x8F;
  } else {
    return false;  // a continuation byte, an overlong lead (C0, C1) or above U+10FFFF
  }
  if (text.size() - position < length) return false;
  const std::uint8_t second = Byte(text, position + 1);
  if (second < second_low || second > second_high) return false;
  char32_t value = first & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const std::uint8_t next = Byte(text, position + i);
    if ((next & 0xC0) != 0x80) return false;
    value = value << 6 | (next & 0x3Fu);
  }
  code_point = value;
  position += length;
  return true;
}

}  // namespace

std::optional<std::string> FromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t position = 0; position < utf8.size();) {
    char32_t code_point = 0;
    if (!NextUtf8(utf8, position, code_point)) return std::nullopt;
    if (code_point < 0x80) {
      out += static_cast<char>(code_point);
    } else if (code_point > 0xFFFF) {
      if (code_point > kLastCodePoint) return std::nullopt;  // not reached: NextUtf8 refuses it
      AppendSupplementary(code_point, out);
    } else if (!AppendBmp(code_point, out)) {
      return std::nullopt;
    }
  }
  return out;
}

std::string ToUtf8(std::string_view gb18030) {
  std::string out;
  out.reserve(gb18030.size() + gb18030.size() / 2);
  for (std::size_t position = 0; position < gb18030.size();) {
    const Decoded decoded = DecodeAt(gb18030, position);
    AppendUtf8(decoded.code_point, out);
    position += decoded.length == 0 ? 1 : decoded.length;
  }
  return out;
}

}  // namespace robothost::onebot::gb18030
