// The plugin's command descriptor: the text `info` returns, read into its command entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace robothost {

// One command as the descriptor states it; every field holds the GBK bytes of its line.
struct CommandEntry {
  std::string title;
  std::string version;
  std::string author;
  std::string description;
  std::string trigger_prefix;
  std::string param_hint;
  std::string trigger_suffix;
  std::string export_name;
  std::string line9;
  std::string line10;

  // A command takes a parameter when it names a hint or a closing text for one.
  bool TakesParameter() const { return !param_hint.empty() || !trigger_suffix.empty(); }
};

// Reads a descriptor: entries of ten lines, each line ended by CR LF (a bare LF is accepted
// too), consecutive entries separated by an empty line and a line of five hyphens. Returns
// false, with a Chinese message for the operator in `error`, for an empty text, an entry of
// fewer than ten lines or a missing separator; `entries` then holds what was read before.
[[nodiscard]] bool ParseDescriptor(std::string_view gbk_text, std::vector<CommandEntry>& entries,
                                   std::string& error);

}  // namespace robothost
