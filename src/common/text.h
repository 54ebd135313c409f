// GBK-aware text primitives: byte lengths, 1-based positions, two-byte characters never split.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// Whether `byte` starts a two-byte GBK character (0x80 and above).
constexpr bool IsLeadByte(char byte) { return static_cast<unsigned char>(byte) >= 0x80; }

// ASCII-only classification: false above 127 whatever the locale.
constexpr bool IsAsciiDigit(char byte) { return byte >= '0' && byte <= '9'; }
constexpr char AsciiToLower(char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// The offset just past the character that starts at `offset`: one byte below 0x80, two bytes
// from a lead byte. A lead byte that is the last byte of the text ends there, so the result
// never passes text.size(). This is the one place where the module walks GBK.
constexpr std::size_t NextCharacter(std::string_view text, std::size_t offset) {
  return (IsLeadByte(text[offset]) && offset + 1 < text.size()) ? offset + 2 : offset + 1;
}

// The number of bytes; a Chinese character counts 2. A text is the whole view: its end plays
// the part of the terminating zero.
std::size_t TextLength(std::string_view text);

// The 1-based position of the first `sought` at or after `start` (1 or less, or none: the first
// byte), never inside a two-byte character; -1 when absent or when `start` is beyond the end.
// An empty `sought` gives 1 when anything is left to search, -1 otherwise. With `ignore_case`
// the Latin letters match regardless of case, byte by byte.
std::int64_t FindText(std::string_view text, std::string_view sought,
                      std::optional<std::int64_t> start, bool ignore_case);

// `count` bytes from 1-based `start`, fewer when the text ends sooner; empty when start < 1,
// beyond the end, or count <= 0. Counts plain bytes and may split a two-byte character.
std::string MidText(std::string_view text, std::int64_t start, std::int64_t count);

// Replaces `sought` by `replacement` from `start` (none: the first byte), at most `limit`
// times (none or negative: no limit), walking by characters; replaced text is never scanned
// again. The text comes back unchanged when it or `sought` is empty, when `start` is beyond
// its end, or when `limit` is 0.
std::string ReplaceText(std::string_view text, std::string_view sought,
                        std::string_view replacement, std::optional<std::int64_t> start,
                        std::optional<std::int64_t> limit, bool case_sensitive);

// Removes every blank, every CR LF pair, then every backslash-r, in three passes; updates
// `text` and returns a copy of the result. The empty text stays empty.
std::string StripSpacesAndBreaks(std::string& text);

// The text between the first `start_marker` (ignoring case) and the next `end_marker` after
// it; empty when the end marker does not follow, when it is empty, or when the text is empty.
// An absent start marker of L >= 2 bytes makes the search start at position L - 1 (callers of
// the exported utility may rely on that); an absent one-byte marker gives the empty text.
std::string TextBetween(std::string_view text, std::string_view start_marker,
                        std::string_view end_marker);

}  // namespace common
