// The profile (INI) file facility: the platform's GetPrivateProfileString /
// WritePrivateProfileString on Windows, a durable reader and writer of our own elsewhere.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The read buffer holds this many bytes including the terminating zero, so a longer value
// is cut to kProfileValueCapacity - 1 bytes.
inline constexpr std::size_t kProfileValueCapacity = 10240;

// Reads `key` in `section` of the file at `path`. Yields the stored value (cut to 10,239
// bytes), or `default_value` when the file, the section or the key does not exist. A key
// stored with an empty value yields the empty text. Names are never empty here: callers
// apply the blank-name rule first.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& default_value);

// Stores `value` under `key` in `section` of the file at `path`, creating the key, the
// section and the file as needed but never a directory. Returns whether the value is stored;
// the module's callers do not look at it.
bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace platform
