// Off Windows the profile functions are our own store.
#include "profile_implementation.h"

namespace test_support {

ProfileImplementation CurrentProfileImplementation() { return ProfileImplementation::kOurs; }

const char* ProfileImplementationName() { return "our POSIX store"; }

}  // namespace test_support
