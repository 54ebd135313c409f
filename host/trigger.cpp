// Trigger matching over GBK bytes at character boundaries.
#include "trigger.h"

#include "encoding.h"

namespace robothost {
namespace {

// boundary[i] says whether a character starts at byte i (i == size counts as a start).
std::vector<bool> CharacterBoundaries(std::string_view text) {
  std::vector<bool> boundary(text.size() + 1, false);
  for (std::size_t i = 0; i < text.size(); i += GbkCharacterLength(text, i)) boundary[i] = true;
  boundary[text.size()] = true;
  return boundary;
}

}  // namespace

std::optional<TriggerMatch> MatchTrigger(const std::vector<CommandEntry>& entries,
                                         std::string_view gbk_line) {
  const std::vector<bool> boundary = CharacterBoundaries(gbk_line);
  for (const CommandEntry& entry : entries) {
    const std::string& prefix = entry.trigger_prefix;
    if (prefix.empty() || !gbk_line.starts_with(prefix) || !boundary[prefix.size()]) continue;
    if (!entry.TakesParameter()) {
      if (gbk_line.size() == prefix.size()) return TriggerMatch{&entry, {}};
      continue;
    }
    const std::string& suffix = entry.trigger_suffix;
    if (gbk_line.size() < prefix.size() + suffix.size() || !gbk_line.ends_with(suffix)) continue;
    const std::size_t suffix_start = gbk_line.size() - suffix.size();
    if (!boundary[suffix_start]) continue;
    return TriggerMatch{&entry,
                        std::string(gbk_line.substr(prefix.size(), suffix_start - prefix.size()))};
  }
  return std::nullopt;
}

}  // namespace robothost
