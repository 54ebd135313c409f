// Test support (POSIX builds only): runs a table generator from tools/ and checks that it
// reproduces the file committed in the source tree byte for byte.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "temp_dir.h"

namespace test_support {

// The exit status a generator uses when this machine lacks what it reads (a converter, a
// dictionary): the check is skipped then, with `skip_reason`.
inline constexpr int kGeneratorSkipStatus = 77;

// Runs `python3 <source_dir>/tools/<script> --output <output>` and expects the output to equal
// <source_dir>/<committed> (a path inside the source tree). Call it as a whole test body: a
// failed or skipped step returns from here.
inline void ExpectGeneratorReproduces(const std::string& python3, const std::string& source_dir,
                                      const std::string& script, const std::string& committed,
                                      const std::string& output, const std::string& skip_reason) {
  const std::string command = "'" + python3 + "' '" + source_dir + "/tools/" + script +
                              "' --output '" + output + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << command;
  if (WEXITSTATUS(status) == kGeneratorSkipStatus) GTEST_SKIP() << skip_reason;
  ASSERT_EQ(WEXITSTATUS(status), 0) << command;
  const std::string expected = ReadFile(source_dir + "/" + committed);
  ASSERT_FALSE(expected.empty()) << committed;
  EXPECT_TRUE(ReadFile(output) == expected)
      << committed << " is out of date: run tools/" << script;
}

}  // namespace test_support
