// The committed ScriptConverter tables are what tools/gen-script-tables.py makes of the
// installed OpenCC dictionaries; skipped where OpenCC is not installed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "temp_dir.h"

namespace {

constexpr int kGeneratorSkipStatus = 77;

TEST(ScriptTablesGeneratorTest, ReproducesTheCommittedTables) {
  const test_support::TempDir dir;
  const std::string source_dir = CQP_SOURCE_DIR;
  const std::string output = dir.string() + "/script_tables.inc";
  const std::string command = std::string("'") + CQP_PYTHON3 + "' '" + source_dir +
                              "/tools/gen-script-tables.py' --output '" + output + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << command;
  if (WEXITSTATUS(status) == kGeneratorSkipStatus) {
    GTEST_SKIP() << "opencc_dict or the OpenCC dictionaries are not installed";
  }
  ASSERT_EQ(WEXITSTATUS(status), 0) << command;
  const std::string committed =
      test_support::ReadFile(source_dir + "/src/commands/script_tables.inc");
  ASSERT_FALSE(committed.empty());
  EXPECT_TRUE(test_support::ReadFile(output) == committed)
      << "src/commands/script_tables.inc is out of date: run tools/gen-script-tables.py";
}

}  // namespace
