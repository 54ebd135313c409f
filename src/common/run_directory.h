// The run directory: the directory of the robot host's executable, fixed when the module loads.
#pragma once

#include <string>
#include <string_view>

namespace common {

// The run directory, without a trailing separator; empty before the module has loaded.
const std::string& RunDirectory();

// Fixes the run directory. The module's load routine calls this once; tests point it at a
// temporary directory.
void SetRunDirectory(std::string directory);

// The native path of the profile file `gbk_file_name` in the config directory.
std::string ProfilePath(std::string_view gbk_file_name);

}  // namespace common
