// Replacing the host's placeholders in one left-to-right pass.
#include "placeholders.h"

namespace robothost {

std::string ReplacePlaceholders(std::string_view reply, const Placeholders& values) {
  const struct {
    std::string_view token;
    std::string_view value;
  } kTokens[] = {
      {"[name]", values.sender_name},
      {"[enter]", values.line_break},
      {"[cqname]", values.robot_name},
  };
  std::string result;
  result.reserve(reply.size());
  std::size_t at = 0;
  while (at < reply.size()) {
    const std::size_t bracket = reply.find('[', at);
    if (bracket == std::string_view::npos) break;
    result.append(reply.substr(at, bracket - at));
    at = bracket;
    bool replaced = false;
    for (const auto& [token, value] : kTokens) {
      if (reply.substr(at).starts_with(token)) {
        result.append(value);
        at += token.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      result += '[';
      ++at;
    }
  }
  result.append(reply.substr(at));
  return result;
}

}  // namespace robothost
