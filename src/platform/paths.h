// Where things are on disk: the host's executable, this module, and the profile files.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The directory of the host process's executable file, without a trailing separator.
// Empty when the platform cannot tell.
std::string ExecutableDirectory();

// The directory of the file this module was loaded from, without a trailing separator.
// Empty when the platform cannot tell.
std::string ModuleDirectory();

// The native path of `directory` joined with `file_name`, for a file name in ASCII.
std::string JoinPath(std::string_view directory, std::string_view file_name);

// The native path of the profile file `gbk_file_name` (e.g. "宠物系统.ini" in GBK) in the
// config directory below `run_directory`. Windows keeps the GBK bytes; POSIX file systems hold
// the name in UTF-8.
std::string ConfigFilePath(std::string_view run_directory, std::string_view gbk_file_name);

}  // namespace platform
