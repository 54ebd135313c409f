// Fuzzes the terminal host's descriptor parser on arbitrary text: it never crashes, a text it
// accepts holds whole ten-line entries, and writing the entries back in the descriptor layout
// reads back to the same entries.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor.h"
#include "fuzz_support.h"

namespace {

std::vector<const std::string*> Fields(const robothost::CommandEntry& entry) {
  return {&entry.title,          &entry.version,     &entry.author,         &entry.description,
          &entry.trigger_prefix, &entry.param_hint,  &entry.trigger_suffix, &entry.export_name,
          &entry.line9,          &entry.line10};
}

std::string Write(const std::vector<robothost::CommandEntry>& entries) {
  std::string text;
  for (const robothost::CommandEntry& entry : entries) {
    if (!text.empty()) text += "\r\n-----\r\n";
    for (const std::string* field : Fields(entry)) text += *field + "\r\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The whole input is the text: a descriptor may hold any byte but the zero that ends it.
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<robothost::CommandEntry> entries;
  std::string error;
  if (!robothost::ParseDescriptor(text, entries, error)) {
    fuzz::Check(!error.empty(), "a refused descriptor says why");
    return 0;
  }
  fuzz::Check(!entries.empty(), "an accepted descriptor has an entry");
  for (const robothost::CommandEntry& entry : entries) {
    for (const std::string* field : Fields(entry)) {
      fuzz::Check(field->find('\n') == std::string::npos, "a field is one line");
    }
  }
  std::vector<robothost::CommandEntry> again;
  fuzz::Check(robothost::ParseDescriptor(Write(entries), again, error), "written entries read back");
  fuzz::Check(again.size() == entries.size(), "as many entries read back");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto before = Fields(entries[i]);
    const auto after = Fields(again[i]);
    for (std::size_t k = 0; k < before.size(); ++k) {
      fuzz::Check(*before[k] == *after[k], "every field reads back as written");
    }
  }
  return 0;
}
