// Texts crossing between OneBot and the plugin: UTF-8 <-> GB18030, CQ-code escaping, and the
// plain text of a message in either of OneBot's message formats.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace robothost::onebot {

// UTF-8 to GB18030 (a superset of GBK, so every Unicode character has a code and an emoji
// reaches the plugin as four bytes it passes on unchanged). Nullopt for malformed UTF-8.
[[nodiscard]] std::optional<std::string> Utf8ToGb18030(std::string_view utf8);

// GB18030 to UTF-8. Bytes that are not GB18030 (the plugin may pass on what a web service
// sent) each become U+FFFD; never fails.
std::string Gb18030ToUtf8(std::string_view gb18030);

// The text with OneBot's CQ-code escapes applied: & [ ] become &amp; &#91; &#93;, so that the
// implementation shows it literally. Commas are only escaped inside CQ codes, not here.
std::string EscapeCqText(std::string_view text);

// The reverse of the escaping above (and of &#44;), for text segments of a message string.
std::string UnescapeCqText(std::string_view text);

// The text a message says, for trigger matching: text segments as their plain text; every
// other segment (an image, an @) as its CQ code, which no trigger matches inside. `message`
// is the string format (CQ codes in the text) or the array format (segments).
// Nullopt when `message` is neither.
[[nodiscard]] std::optional<std::string> MessagePlainText(const nlohmann::json& message);

}  // namespace robothost::onebot
