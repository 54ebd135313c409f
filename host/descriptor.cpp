// Reading the descriptor text line by line into command entries.
#include "descriptor.h"

namespace robothost {
namespace {

constexpr std::size_t kLinesPerEntry = 10;
constexpr std::string_view kSeparator = "-----";

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::string_view::size_type newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (newline == std::string_view::npos) break;
    text.remove_prefix(newline + 1);
  }
  return lines;
}

}  // namespace

bool ParseDescriptor(std::string_view gbk_text, std::vector<CommandEntry>& entries,
                     std::string& error) {
  entries.clear();
  const std::vector<std::string_view> lines = SplitLines(gbk_text);
  if (lines.empty()) {
    error = "插件的 info 返回了空的命令描述。";
    return false;
  }
  std::size_t at = 0;
  while (at < lines.size()) {
    const std::size_t number = entries.size() + 1;
    if (lines.size() - at < kLinesPerEntry) {
      error = "命令描述的第 " + std::to_string(number) + " 项只有 " +
              std::to_string(lines.size() - at) + " 行，应为 10 行。";
      return false;
    }
    const std::string_view* line = &lines[at];
    entries.push_back(CommandEntry{std::string(line[0]), std::string(line[1]),
                                   std::string(line[2]), std::string(line[3]),
                                   std::string(line[4]), std::string(line[5]),
                                   std::string(line[6]), std::string(line[7]),
                                   std::string(line[8]), std::string(line[9])});
    at += kLinesPerEntry;
    if (at == lines.size()) break;
    if (lines.size() - at < 2 || !lines[at].empty() || lines[at + 1] != kSeparator) {
      error = "命令描述的第 " + std::to_string(number) + " 项之后缺少空行和分隔行 -----。";
      return false;
    }
    at += 2;
  }
  return true;
}

}  // namespace robothost
