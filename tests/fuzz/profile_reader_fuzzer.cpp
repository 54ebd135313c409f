// Fuzzes the profile reader on arbitrary file contents: every read agrees with a plain model
// of the reading rules, a value is one line, a missing key gives the default, and a long value
// is cut to 10,239 bytes. Each input rewrites the same file behind the store's back, often
// within one tick of the file system's clock, so a stale copy kept by the store shows up as a
// disagreement with the model. Input: flags, then the section, the key and the default as fields,
// then the file's bytes (zero bytes included). Flags bit 0 also reads every pair the file
// names; bit 1 puts a value of 10,240 bytes or more into the file.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/profile_store.h"
#include "fuzz_support.h"
#include "platform/profile.h"
#include "profile_model.h"

namespace {

void CheckRead(const std::string& path, std::string_view content, const std::string& section,
               const std::string& key, const std::string& default_value) {
  const std::string got = platform::ReadProfileString(path, section, key, default_value);
  const auto model = fuzz::ModelRead(content, section, key);
  // As with the Windows reader, a default comes back without its trailing spaces.
  std::string_view fallback = default_value;
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  const std::string want = model ? *model : std::string(fallback);
  if (got != want) {
    std::fprintf(stderr, "[%s] %s: got \"%s\", model says \"%s\"\n",
                 fuzz::Printable(section).c_str(), fuzz::Printable(key).c_str(),
                 fuzz::Printable(got).c_str(), fuzz::Printable(want).c_str());
    fuzz::Check(false, "a read agrees with the model of the reading rules");
  }
  if (model) fuzz::Check(got.find('\n') == std::string::npos, "a value is one line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Fields in(data, size);
  const std::string section(in.Text());
  const std::string key(in.Text());
  const std::string default_value(in.Text());
  std::string content(in.Rest());
  if ((in.flags() & 2) != 0) {
    // A long value: the read keeps its first 10,239 bytes.
    std::string value = content.empty() ? std::string("v") : content;
    for (char& c : value) {
      if (c == '\n' || c == '\r' || c == '\0' || fuzz::ProfileBlank(c) || c == '"' || c == '\'') c = 'x';
    }
    while (value.size() < platform::kProfileValueCapacity) value += value;
    content = "[s]\r\nk=" + value + "\r\n";
    fuzz::WriteWholeFile(fuzz::ProfilePath("reader.ini"), content);
    const std::string got = common::ReadProfileValue(fuzz::ProfilePath("reader.ini"), "s", "k");
    fuzz::Check(got == value.substr(0, platform::kProfileValueCapacity - 1),
                "a long value is cut to 10,239 bytes");
    return 0;
  }
  const std::string path = fuzz::ProfilePath("reader.ini");
  fuzz::Check(fuzz::WriteWholeFile(path, content), "the file is written");
  // Names with a zero byte cannot reach the store; the module's texts end at their first one.
  CheckRead(path, content, section, key, default_value);
  if ((in.flags() & 1) != 0) {
    for (const auto& [s, k] : fuzz::ModelPairs(content)) {
      if (s.find('\0') != std::string::npos || k.find('\0') != std::string::npos) continue;
      CheckRead(path, content, s, k, "\x01missing");
    }
  }
  // Through the module's own entry: the blank-name rule, then the same read.
  const std::string value = common::ReadProfileValue(path, section, key, default_value);
  fuzz::Check(value.size() < platform::kProfileValueCapacity, "a read is at most 10,239 bytes");
  return 0;
}
