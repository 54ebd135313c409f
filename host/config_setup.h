// The config directory a newcomer needs: created on first start and given example level names
// and titles, without ever changing what is already there.
#pragma once

#include <string>
#include <vector>

namespace robothost {

// The profile files that have an example, by their UTF-8 names.
extern const char* const kExampleConfigFiles[2];

struct ConfigSetup {
  bool created_directory = false;
  std::vector<std::string> created_files;   // file names copied from the examples
  std::vector<std::string> added_sections;  // "file [section]" appended to an existing file
  std::vector<std::string> problems;        // what could not be done, in Chinese
};

// Makes sure `run_directory`/config exists and, when `examples_directory` is not empty, that
// each example file's sections exist in it. The rule is additive only:
// - a profile file that does not exist is created as a copy of its example;
// - a profile file that exists but lacks one of the example's sections gets that section
//   (header and keys, as in the example) appended at its end;
// - a section that exists is never touched, even when it is empty or lacks keys.
// An example file that is missing is skipped silently. Section headers are compared byte for
// byte at GBK character boundaries, after blanks around them are dropped.
ConfigSetup PrepareConfigDirectory(const std::string& run_directory,
                                   const std::string& examples_directory);

}  // namespace robothost
