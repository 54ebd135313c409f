// Profile files on Windows: the platform's own profile API with a 10,240-byte read buffer.
#include <windows.h>
// <windows.h> maps WriteProfileString to the win.ini function WriteProfileStringA.
#undef WriteProfileString

#include <vector>

#include "platform/profile.h"

namespace platform {

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& default_value) {
  std::vector<char> buffer(kProfileValueCapacity);
  const DWORD length =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(), buffer.data(),
                               static_cast<DWORD>(buffer.size()), path.c_str());
  return std::string(buffer.data(), length);
}

bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) !=
         FALSE;
}

}  // namespace platform
