// The host's placeholders in a plugin's reply: [name], [enter] and [cqname].
#pragma once

#include <string>
#include <string_view>

namespace robothost {

struct Placeholders {
  std::string_view sender_name;  // for [name]
  std::string_view robot_name;   // for [cqname]
  std::string_view line_break = "\n";  // for [enter]
};

// The reply with each placeholder replaced, in one pass from left to right: the inserted texts
// are never scanned again, so a sender called "[enter]" stays "[enter]". Anything else in
// brackets, and an unclosed "[name", is left as it is. Works on UTF-8 (or any ASCII-compatible
// text whose multi-byte characters never contain '[').
std::string ReplacePlaceholders(std::string_view reply, const Placeholders& values);

}  // namespace robothost
