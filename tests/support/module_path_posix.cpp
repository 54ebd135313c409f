// Test support on POSIX: the plugin library's path as CMake built it.
#include "module_path.h"

namespace test_support {

std::string ModulePath() { return CQP_MODULE_FILE; }

void DismissErrorBoxesInBackground() {}

}  // namespace test_support
