// ProfileStore: the blank-name rule and the value limit in front of the platform's profile files.
#include "common/profile_store.h"

#include "platform/profile.h"

namespace common {
namespace {

// Skips every leading byte from 1 to 32: blanks, tabs, line breaks, other control characters.
std::string_view SkipLeadingBlanks(std::string_view name) {
  std::size_t skip = 0;
  while (skip < name.size() && static_cast<unsigned char>(name[skip]) >= 1 &&
         static_cast<unsigned char>(name[skip]) <= 32) {
    ++skip;
  }
  return name.substr(skip);
}

}  // namespace

std::string ReadProfileValue(std::string_view path, std::string_view section,
                             std::string_view key, std::string_view default_value) {
  path = SkipLeadingBlanks(path);
  section = SkipLeadingBlanks(section);
  key = SkipLeadingBlanks(key);
  if (path.empty() || section.empty() || key.empty()) return {};
  std::string value = platform::ReadProfileString(std::string(path), std::string(section),
                                                  std::string(key), std::string(default_value));
  if (value.size() >= platform::kProfileValueCapacity) {
    value.resize(platform::kProfileValueCapacity - 1);
  }
  return value;
}

void WriteProfileValue(std::string_view path, std::string_view section, std::string_view key,
                       std::string_view value) {
  static_cast<void>(platform::WriteProfileString(std::string(path), std::string(section),
                                                 std::string(key), std::string(value)));
}

}  // namespace common
