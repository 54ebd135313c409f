// A plain model of how the profile files are read (the Windows reading rules the POSIX store
// follows), for the profile fuzzers: lines, section headers, entries and name comparison.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fuzz {

// Blanks as the profile functions trim them: space, tab, LF, VT, FF, CR.
inline bool ProfileBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline std::string_view Trim(std::string_view text) {
  while (!text.empty() && ProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && ProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Names compare ignoring the case of ASCII letters that are not the second byte of a GBK
// character.
inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size();) {
    if (static_cast<unsigned char>(a[i]) >= 0x81 && i + 1 < a.size()) {
      if (a.substr(i, 2) != b.substr(i, 2)) return false;
      i += 2;
      continue;
    }
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
    ++i;
  }
  return true;
}

struct ModelLine {
  enum Kind { kNothing, kSection, kEntry } kind = kNothing;
  std::string_view name;
  std::string_view value;
};

inline ModelLine ParseModelLine(std::string_view line) {
  ModelLine parsed;
  std::size_t start = 0;
  while (start < line.size() && ProfileBlank(line[start])) ++start;
  if (start == line.size() || line[start] == ';') return parsed;
  if (line[start] == '[') {
    for (std::size_t i = start + 1; i < line.size();) {
      if (line[i] == ']') {
        parsed.kind = ModelLine::kSection;
        parsed.name = Trim(line.substr(start + 1, i - start - 1));
        return parsed;
      }
      i += (static_cast<unsigned char>(line[i]) >= 0x81 && i + 1 < line.size()) ? 2 : 1;
    }
  }
  const std::size_t equals = line.find('=', start);
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = ModelLine::kEntry;
  parsed.name = Trim(line.substr(start, equals - start));
  std::string_view value = Trim(line.substr(equals + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  parsed.value = value;
  return parsed;
}

// The lines of a file without their breaks (LF, or CR LF).
inline std::vector<std::string_view> ModelLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    if (newline != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    if (newline == std::string_view::npos) break;
    text.remove_prefix(newline + 1);
  }
  return lines;
}

// The value of `key` in the first section named `section`, or nothing.
inline std::optional<std::string> ModelRead(std::string_view text, std::string_view section,
                                            std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  bool in_section = false;
  bool seen = false;
  for (const std::string_view line : ModelLines(text)) {
    const ModelLine parsed = ParseModelLine(line);
    if (parsed.kind == ModelLine::kSection) {
      if (seen) return std::nullopt;  // only the first section of that name counts
      in_section = SameName(parsed.name, section);
      seen = in_section;
    } else if (parsed.kind == ModelLine::kEntry && in_section && SameName(parsed.name, key)) {
      return std::string(parsed.value);
    }
  }
  return std::nullopt;
}

// Every (section, key) pair the file names, in order, duplicates included.
inline std::vector<std::pair<std::string, std::string>> ModelPairs(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::string section;
  bool in_section = false;
  for (const std::string_view line : ModelLines(text)) {
    const ModelLine parsed = ParseModelLine(line);
    if (parsed.kind == ModelLine::kSection) {
      section = std::string(parsed.name);
      in_section = true;
    } else if (parsed.kind == ModelLine::kEntry && in_section) {
      pairs.emplace_back(section, std::string(parsed.name));
    }
  }
  return pairs;
}

}  // namespace fuzz
