// GBK-aware text primitives: byte lengths, 1-based positions, two-byte characters never split.
#pragma once

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

// The number of bytes; a Chinese character counts 2.
std::size_t TextLength(std::string_view text);

// The 1-based position of the first `sought` at or after `start` (1 or less, or none: the first
// byte), never inside a two-byte character; -1 when absent. An empty `sought` gives 1 when
// anything is left to search, -1 otherwise.
std::int64_t FindText(std::string_view text, std::string_view sought,
                      std::optional<std::int64_t> start, bool ignore_case);

// `count` bytes from 1-based `start`; empty when start < 1, beyond the end, or count <= 0.
std::string MidText(std::string_view text, std::int64_t start, std::int64_t count);

// Replaces `sought` by `replacement` from `start` (none: the first byte), at most `limit`
// times (none: no limit), walking by characters; replaced text is never scanned again.
std::string ReplaceText(std::string_view text, std::string_view sought,
                        std::string_view replacement, std::optional<std::int64_t> start,
                        std::optional<std::int64_t> limit, bool case_sensitive);

// Removes every blank, every CR LF pair, then every backslash-r, in three passes; updates
// `text` and returns a copy of the result.
std::string StripSpacesAndBreaks(std::string& text);

// The text between the first `start_marker` (ignoring case) and the next `end_marker` after
// it, with the edge behaviour of the original: an absent start marker of L >= 2 bytes makes the
// search start at position L - 1.
std::string TextBetween(std::string_view text, std::string_view start_marker,
                        std::string_view end_marker);

}  // namespace common
