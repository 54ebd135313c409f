// Fuzzes read-modify-write rounds of the profile writer on arbitrary file contents: after
// storing a value under a section and key, every other pair the file names reads exactly as
// before, no line but the one edited changes, every read agrees with the file's new bytes (the
// store keeps files in memory with an index it updates per write), and the value reads back
// byte for byte whenever it is a value the store promises to keep (one line, no blanks at its
// ends, not quoted; names that can stand in a header and before an '='). Input: flags (how
// many writes follow), then a section, a key and a value per write, then the file's bytes.
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "platform/posix/profile_io.h"
#include "platform/profile.h"
#include "profile_model.h"

namespace {

constexpr const char* kMissing = "\x01missing";

bool HasAny(std::string_view text, std::string_view bytes) {
  return text.find_first_of(bytes) != std::string_view::npos;
}

// The names the store cannot keep apart from (section, key): equal once trimmed, whatever the
// case of any ASCII letter.
bool MayAlias(std::string_view a, std::string_view b) {
  a = fuzz::Trim(a);
  b = fuzz::Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// Whether the last character of `name` is a lead byte without its second byte: written into a
// header, it would take the closing ']' as that second byte (as Windows reads it too).
bool EndsInLoneLeadByte(std::string_view name) {
  std::size_t i = 0;
  while (i < name.size()) i += (static_cast<unsigned char>(name[i]) >= 0x81) ? 2 : 1;
  return i > name.size();
}

// A value the contract says reads back byte for byte, under names a file can hold.
bool Keepable(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view s = fuzz::Trim(section);
  const std::string_view k = fuzz::Trim(key);
  if (s.empty() || k.empty() || HasAny(section, "\r\n]") || HasAny(key, "\r\n=")) return false;
  if (EndsInLoneLeadByte(s)) return false;
  if (k.front() == ';' || k.front() == '[') return false;
  if (HasAny(value, "\r\n")) return false;
  if (!value.empty() && (fuzz::ProfileBlank(value.front()) || fuzz::ProfileBlank(value.back()))) {
    return false;
  }
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == '"' || value.front() == '\'')) {
    return false;
  }
  return true;
}

// One write and its checks; `before` is the file's content before it.
void WriteAndCheck(const std::string& path, const std::string& before, const std::string& section,
                   const std::string& key, const std::string& value) {
  std::map<std::pair<std::string, std::string>, std::string> seen;
  for (const auto& pair : fuzz::ModelPairs(before)) {
    if (pair.first.find('\0') != std::string::npos || pair.second.find('\0') != std::string::npos) {
      continue;
    }
    if (MayAlias(pair.first, section) && MayAlias(pair.second, key)) continue;
    seen.emplace(pair, platform::ReadProfileString(path, pair.first, pair.second, kMissing));
  }

  const bool stored = platform::WriteProfileString(path, section, key, value);
  const std::string after = fuzz::ReadWholeFile(path);

  for (const auto& [pair, old_value] : seen) {
    const std::string now = platform::ReadProfileString(path, pair.first, pair.second, kMissing);
    if (now != old_value) {
      std::fprintf(stderr, "[%s] %s was \"%s\", now \"%s\"\n", fuzz::Printable(pair.first).c_str(),
                   fuzz::Printable(pair.second).c_str(), fuzz::Printable(old_value).c_str(),
                   fuzz::Printable(now).c_str());
      fuzz::Check(false, "every other pair reads as before");
    }
  }
  // What the store answers from what it keeps agrees with the file's bytes now.
  for (const auto& [s, k] : fuzz::ModelPairs(after)) {
    if (s.find('\0') != std::string::npos || k.find('\0') != std::string::npos) continue;
    // A pair in a later section of the same name is not read: the model says missing too.
    const std::string want = fuzz::ModelRead(after, s, k).value_or(kMissing);
    const std::string now = platform::ReadProfileString(path, s, k, kMissing);
    if (now != want) {
      std::fprintf(stderr, "[%s] %s reads \"%s\", the file holds \"%s\"\n",
                   fuzz::Printable(s).c_str(), fuzz::Printable(k).c_str(),
                   fuzz::Printable(now).c_str(), fuzz::Printable(want).c_str());
      fuzz::Check(false, "reads agree with the file as written");
    }
  }

  // The bytes that changed lie within one line of the old file: the common beginning and end
  // of the two contents leave no line break of the old file between them.
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  const std::string_view erased = std::string_view(before).substr(head, before.size() - head - tail);
  if (erased.find('\n') != std::string_view::npos) {
    std::fprintf(stderr, "erased \"%s\"\n", fuzz::Printable(erased).c_str());
    fuzz::Check(false, "only the edited line changes");
  }

  if (Keepable(section, key, value)) {
    fuzz::Check(stored, "a keepable value is stored");
    const std::string back = platform::ReadProfileString(path, section, key, kMissing);
    if (back != value) {
      std::fprintf(stderr, "[%s] %s = \"%s\" read back as \"%s\"\n",
                   fuzz::Printable(section).c_str(), fuzz::Printable(key).c_str(),
                   fuzz::Printable(value).c_str(), fuzz::Printable(back).c_str());
      fuzz::Check(false, "the value reads back byte for byte");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Flushing to disk is about surviving a power cut, not about what a file holds: skipped here
  // so the fuzzer runs at the speed of the edits themselves.
  platform::profile::CurrentSystemCalls().fsync = [](int) { return 0; };
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Fields in(data, size);
  // Flags: 1 + (flags % 4) writes, each a section, a key and a value; then the file's bytes.
  const std::size_t writes = 1 + in.flags() % 4;
  std::vector<std::array<std::string, 3>> requests;
  for (std::size_t i = 0; i < writes; ++i) {
    std::array<std::string, 3> request;
    for (std::string& field : request) field = std::string(in.Text());
    requests.push_back(request);
  }
  const std::string path = fuzz::ProfilePath("writer.ini");
  fuzz::Check(fuzz::WriteWholeFile(path, in.Rest()), "the file is written");
  for (const auto& [section, key, value] : requests) {
    WriteAndCheck(path, fuzz::ReadWholeFile(path), section, key, value);
  }
  return 0;
}
