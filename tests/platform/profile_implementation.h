// Which profile implementation a test runs against: our own POSIX store, or the Windows
// profile API as native Windows or as Wine provides it.
#pragma once

namespace test_support {

enum class ProfileImplementation { kOurs, kWindows, kWine };

ProfileImplementation CurrentProfileImplementation();

// A short name for test output.
const char* ProfileImplementationName();

}  // namespace test_support
