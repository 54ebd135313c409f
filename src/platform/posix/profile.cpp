// Profile files on POSIX (not built yet: every read yields its default, writes store nothing).
#include "platform/profile.h"

namespace platform {

std::string ReadProfileString(const std::string&, const std::string&, const std::string&,
                              const std::string& default_value) {
  return default_value;
}

bool WriteProfileString(const std::string&, const std::string&, const std::string&,
                        const std::string&) {
  return false;
}

}  // namespace platform
