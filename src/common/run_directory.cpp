// The run directory and the profile paths built from it.
#include "common/run_directory.h"

#include <utility>

#include "platform/paths.h"

namespace common {
namespace {

std::string& RunDirectoryStorage() {
  static std::string directory;
  return directory;
}

}  // namespace

const std::string& RunDirectory() { return RunDirectoryStorage(); }

void SetRunDirectory(std::string directory) { RunDirectoryStorage() = std::move(directory); }

std::string ProfilePath(std::string_view gbk_file_name) {
  return platform::ConfigFilePath(RunDirectory(), gbk_file_name);
}

}  // namespace common
