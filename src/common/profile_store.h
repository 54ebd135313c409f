// ProfileStore: the one way handlers and the console reach the profile files.
#pragma once

#include <string>
#include <string_view>

namespace common {

// Reads `key` in `section` of the profile file at `path` (see ProfilePath). Leading bytes 1..32
// of the path, the section and the key are skipped first; if any of them is then empty the
// result is the empty text and no file is touched, whatever the default. Otherwise yields the
// stored value cut to 10,239 bytes, or `default_value` when the file, the section or the key
// does not exist. A key stored with an empty value yields the empty text, not the default.
std::string ReadProfileValue(std::string_view path, std::string_view section,
                             std::string_view key, std::string_view default_value = {});

// Stores `value` under `key` in `section`, creating key, section and file as needed (never a
// directory). Names are passed on unchanged. Failures are silent: no caller looks at them.
void WriteProfileValue(std::string_view path, std::string_view section, std::string_view key,
                       std::string_view value);

}  // namespace common
