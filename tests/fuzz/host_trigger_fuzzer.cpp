// Fuzzes the terminal host's trigger matcher against a model of its rule: the first entry
// whose prefix starts the line and whose suffix ends it, both at GBK character boundaries of
// the line, with the parameter the bytes between. Entries are the plugin's own descriptor
// (flags bit 0 clear) or made from the input (set: prefix, hint and suffix fields).
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor.h"
#include "fuzz_support.h"
#include "plugin/descriptor.h"
#include "trigger.h"

namespace {

const std::vector<robothost::CommandEntry>& PluginEntries() {
  static const std::vector<robothost::CommandEntry> entries = [] {
    std::vector<robothost::CommandEntry> parsed;
    std::string error;
    fuzz::Check(robothost::ParseDescriptor(plugin::DescriptorText(), parsed, error),
                "the plugin's descriptor parses");
    fuzz::Check(parsed.size() == 9, "the plugin's descriptor has nine entries");
    return parsed;
  }();
  return entries;
}

std::vector<bool> Boundaries(std::string_view line) {
  std::vector<bool> boundary(line.size() + 1, false);
  std::size_t i = 0;
  while (i < line.size()) {
    boundary[i] = true;
    i += (static_cast<unsigned char>(line[i]) >= 0x80 && i + 1 < line.size()) ? 2 : 1;
  }
  boundary[line.size()] = true;
  return boundary;
}

struct ModelMatch {
  std::size_t index;
  std::string parameter;
};

std::optional<ModelMatch> Model(const std::vector<robothost::CommandEntry>& entries,
                                std::string_view line) {
  const std::vector<bool> boundary = Boundaries(line);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const robothost::CommandEntry& entry = entries[i];
    const std::string_view prefix = entry.trigger_prefix;
    const std::string_view suffix = entry.trigger_suffix;
    if (prefix.empty() || line.substr(0, prefix.size()) != prefix || !boundary[prefix.size()]) {
      continue;
    }
    if (entry.param_hint.empty() && suffix.empty()) {
      if (line.size() == prefix.size()) return ModelMatch{i, {}};
      continue;
    }
    if (line.size() < prefix.size() + suffix.size()) continue;
    const std::size_t suffix_start = line.size() - suffix.size();
    if (line.substr(suffix_start) != suffix || !boundary[suffix_start]) continue;
    return ModelMatch{i, std::string(line.substr(prefix.size(), suffix_start - prefix.size()))};
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Fields in(data, size);
  std::vector<robothost::CommandEntry> own;
  const bool from_input = (in.flags() & 1) != 0;
  if (from_input) {
    const std::size_t count = (in.flags() >> 1) % 4 + 1;
    for (std::size_t i = 0; i < count; ++i) {
      robothost::CommandEntry entry;
      entry.trigger_prefix = in.Text();
      entry.param_hint = in.Text();
      entry.trigger_suffix = in.Text();
      own.push_back(entry);
    }
  }
  const std::vector<robothost::CommandEntry>& entries = from_input ? own : PluginEntries();
  const std::string_view line = in.Text();

  const auto got = robothost::MatchTrigger(entries, line);
  const auto want = Model(entries, line);
  fuzz::Check(got.has_value() == want.has_value(), "a line matches exactly when the model says");
  if (got) {
    fuzz::Check(got->entry == &entries[want->index], "the first matching entry is chosen");
    if (got->parameter != want->parameter) {
      std::fprintf(stderr, "parameter \"%s\", model \"%s\"\n", fuzz::Printable(got->parameter).c_str(),
                   fuzz::Printable(want->parameter).c_str());
      fuzz::Check(false, "the parameter is the bytes between prefix and suffix");
    }
  }
  return 0;
}
