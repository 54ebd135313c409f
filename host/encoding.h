// Conversions between the terminal's UTF-8 and the plugin's GBK, with the checks a chat host
// needs: malformed UTF-8 and characters GBK cannot hold are found and named, never guessed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace robothost {

// The byte length of the GBK character that starts at text[index]: 2 for a byte of 0x80 or
// above that has a byte after it, otherwise 1 (the rule the plugin walks texts by).
std::size_t GbkCharacterLength(std::string_view text, std::size_t index);

// The offset of the first byte that does not belong to a well-formed UTF-8 sequence
// (overlong forms, surrogates and values above U+10FFFF are malformed), or npos.
std::size_t FindInvalidUtf8(std::string_view text);

// The text with every byte that is not part of well-formed UTF-8 written as \xNN, so that it
// can be shown on a terminal.
std::string EscapeInvalidUtf8(std::string_view text);

enum class GbkError {
  kNone,
  kInvalidUtf8,  // the input is not well-formed UTF-8
  kNotInGbk,     // a character has no GBK code
};

struct GbkConversion {
  std::string text;        // the GBK bytes when error is kNone
  GbkError error = GbkError::kNone;
  std::size_t offset = 0;  // where the fault starts, in bytes of the input
  std::string character;   // kNotInGbk: the UTF-8 of the character that has no GBK code
};

// Converts UTF-8 to GBK. The empty text converts to the empty text. On a fault nothing is
// substituted: the result says what is wrong and where.
[[nodiscard]] GbkConversion Utf8ToGbk(std::string_view utf8);

// Converts GBK to UTF-8 for display. Bytes that are not GBK (a plugin may pass on what a web
// service sent) each become U+FFFD; the conversion never fails.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace robothost
