// A GB18030 <-> UTF-8 codec of our own, from tables generated out of glibc's converter, so that
// the adapter converts chat text byte for byte the same on Linux and on Windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace robothost::onebot::gb18030 {

// The GB18030 bytes of UTF-8 text: what glibc's iconv gives, and for the 24 private-use
// characters iconv has no code for, their GB18030-2022 four-byte codes (18) or their two-byte
// codes (6, which read back as the characters they stand for). Empty text gives an empty
// string. Nullopt for malformed UTF-8: a stray or missing continuation byte, an overlong form,
// a surrogate (U+D800..U+DFFF) or a value above U+10FFFF.
[[nodiscard]] std::optional<std::string> FromUtf8(std::string_view utf8);

// The UTF-8 text of GB18030 bytes. A byte that starts no complete, assigned character becomes
// U+FFFD and decoding resumes at the byte after it, as with iconv skipping one byte per error.
// Never fails; empty input gives an empty string.
std::string ToUtf8(std::string_view gb18030);

}  // namespace robothost::onebot::gb18030
