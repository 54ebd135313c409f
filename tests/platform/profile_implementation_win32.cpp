// On Windows the profile functions are the platform's; Wine gives itself away by an export of
// its ntdll that native Windows does not have.
#include <windows.h>

#include "profile_implementation.h"

namespace test_support {

ProfileImplementation CurrentProfileImplementation() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr
             ? ProfileImplementation::kWine
             : ProfileImplementation::kWindows;
}

const char* ProfileImplementationName() {
  return CurrentProfileImplementation() == ProfileImplementation::kWine ? "Wine's profile API"
                                                                         : "Windows' profile API";
}

}  // namespace test_support
