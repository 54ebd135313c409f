// UTF-8 validation and the GBK conversions around the platform's converter.
#include "encoding.h"

#include "platform.h"

namespace robothost {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

unsigned Byte(std::string_view text, std::size_t index) {
  return static_cast<unsigned char>(text[index]);
}

// The length of the well-formed UTF-8 sequence at text[index], or 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t index) {
  const unsigned lead = Byte(text, index);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (index + length > text.size()) return 0;
  const unsigned second = Byte(text, index + 1);
  if (second < low || second > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    const unsigned next = Byte(text, index + i);
    if (next < 0x80 || next > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::size_t GbkCharacterLength(std::string_view text, std::size_t index) {
  return Byte(text, index) >= 0x80 && index + 1 < text.size() ? 2 : 1;
}

std::size_t FindInvalidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

std::string EscapeInvalidUtf8(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      shown += "\\x";
      shown += kHex[Byte(text, i) >> 4];
      shown += kHex[Byte(text, i) & 0x0F];
      ++i;
    } else {
      shown.append(text.substr(i, length));
      i += length;
    }
  }
  return shown;
}

GbkConversion Utf8ToGbk(std::string_view utf8) {
  GbkConversion result;
  const std::size_t invalid = FindInvalidUtf8(utf8);
  if (invalid != std::string_view::npos) {
    result.error = GbkError::kInvalidUtf8;
    result.offset = invalid;
    return result;
  }
  if (platform::ConvertUtf8ToGbk(utf8, result.text)) return result;
  // Find the character the converter refused, to name it.
  std::string ignored;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = Utf8SequenceLength(utf8, i);
    if (!platform::ConvertUtf8ToGbk(utf8.substr(i, length), ignored)) {
      result.text.clear();
      result.error = GbkError::kNotInGbk;
      result.offset = i;
      result.character = std::string(utf8.substr(i, length));
      return result;
    }
    i += length;
  }
  // Each character converts on its own but the whole did not: a converter fault, not the text's.
  result.text.clear();
  result.error = GbkError::kNotInGbk;
  return result;
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string utf8;
  if (platform::ConvertGbkToUtf8(gbk, utf8)) return utf8;
  utf8.clear();
  std::string piece;
  for (std::size_t i = 0; i < gbk.size();) {
    if (Byte(gbk, i) < 0x80) {
      utf8 += gbk[i];
      ++i;
      continue;
    }
    const std::size_t length = GbkCharacterLength(gbk, i);
    if (platform::ConvertGbkToUtf8(gbk.substr(i, length), piece)) {
      utf8 += piece;
      i += length;
      continue;
    }
    utf8 += kReplacementCharacter;
    // A well-formed pair without a mapping is one unknown character; otherwise only the first
    // byte is dropped and the next one is read on its own.
    const unsigned lead = Byte(gbk, i);
    const unsigned trail = length == 2 ? Byte(gbk, i + 1) : 0;
    const bool pair = lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE &&
                      trail != 0x7F;
    i += pair ? 2 : 1;
  }
  return utf8;
}

}  // namespace robothost
