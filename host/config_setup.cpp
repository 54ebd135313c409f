// Creating config/ and adding the example settings where they are missing.
#include "config_setup.h"

#include <optional>
#include <string_view>

#include "encoding.h"
#include "platform.h"

namespace robothost {

const char* const kExampleConfigFiles[2] = {"宠物系统.ini", "工作配置.ini"};

namespace {

struct Section {
  std::string name;   // GBK, without brackets
  std::string block;  // the header line and every line up to the next header
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The section name if `line` is a section header "[name]", blanks around it allowed.
std::optional<std::string> SectionName(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  // The closing bracket must be a character of its own, not the end of a Chinese character.
  std::size_t last = 0;
  for (std::size_t i = 0; i < line.size(); i += GbkCharacterLength(line, i)) last = i;
  if (last == 0 || line[last] != ']' || last != line.size() - 1) return std::nullopt;
  return std::string(line.substr(1, line.size() - 2));
}

template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  while (!text.empty()) {
    const std::string_view::size_type newline = text.find('\n');
    const std::size_t length = newline == std::string_view::npos ? text.size() : newline + 1;
    visit(text.substr(0, length));
    text.remove_prefix(length);
  }
}

std::vector<Section> SplitSections(std::string_view text) {
  std::vector<Section> sections;
  ForEachLine(text, [&](std::string_view line) {
    std::string_view content = line;
    if (!content.empty() && content.back() == '\n') content.remove_suffix(1);
    if (std::optional<std::string> name = SectionName(content)) {
      sections.push_back(Section{*name, {}});
    }
    if (!sections.empty()) sections.back().block.append(line);  // lines before any header drop
  });
  return sections;
}

bool HasSection(std::string_view text, const std::string& name) {
  bool found = false;
  ForEachLine(text, [&](std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    const std::optional<std::string> header = SectionName(line);
    if (header && *header == name) found = true;
  });
  return found;
}

void AddMissingSections(const std::string& path, const std::string& file_name,
                        std::string_view example, ConfigSetup& setup) {
  std::string existing;
  if (!platform::ReadWholeFile(path, existing)) {
    setup.problems.push_back("无法读取 " + path);
    return;
  }
  for (const Section& section : SplitSections(example)) {
    if (HasSection(existing, section.name)) continue;
    std::string addition;
    if (!existing.empty() && existing.back() != '\n') addition += "\r\n";
    addition += section.block;
    if (addition.back() != '\n') addition += "\r\n";
    if (!platform::AppendToFile(path, addition)) {
      setup.problems.push_back("无法写入 " + path);
      return;
    }
    existing += addition;
    setup.added_sections.push_back(file_name + " [" + GbkToUtf8(section.name) + "]");
  }
}

}  // namespace

ConfigSetup PrepareConfigDirectory(const std::string& run_directory,
                                   const std::string& examples_directory) {
  ConfigSetup setup;
  const std::string config = platform::JoinPath(run_directory, "config");
  if (!platform::IsDirectory(config)) {
    if (!platform::MakeDirectory(config)) {
      setup.problems.push_back("无法创建配置目录 " + config);
      return setup;
    }
    setup.created_directory = true;
  }
  if (examples_directory.empty()) return setup;
  for (const char* file_name : kExampleConfigFiles) {
    std::string example;
    if (!platform::ReadWholeFile(platform::JoinPath(examples_directory, file_name), example)) {
      continue;
    }
    const std::string path = platform::JoinPath(config, file_name);
    if (!platform::IsFile(path)) {
      if (platform::CreateNewFile(path, example)) {
        setup.created_files.push_back(file_name);
      } else {
        setup.problems.push_back("无法创建 " + path);
      }
      continue;
    }
    AddMissingSections(path, file_name, example, setup);
  }
  return setup;
}

}  // namespace robothost
