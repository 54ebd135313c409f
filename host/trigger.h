// Matching a chat line against the descriptor's triggers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor.h"

namespace robothost {

struct TriggerMatch {
  const CommandEntry* entry = nullptr;
  std::string parameter;  // GBK; empty for a command without parameter
};

// The first entry, in descriptor order, whose trigger the GBK line matches: the line equals
// the prefix of a command without parameter, or it is the prefix, a parameter (possibly
// empty) and the suffix of a command with one. Nothing is trimmed. The texts are compared at
// GBK character boundaries, so the second byte of a Chinese character (which may be ']' or
// '[') never counts as the end of a prefix or the start of a suffix. Entries with an empty
// prefix match nothing. No match gives nullopt.
std::optional<TriggerMatch> MatchTrigger(const std::vector<CommandEntry>& entries,
                                         std::string_view gbk_line);

}  // namespace robothost
