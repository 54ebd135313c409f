// The committed GB18030 tables are what tools/gen-gb18030-tables.py makes of this machine's
// glibc iconv; skipped where iconv has no GB18030 converter.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "temp_dir.h"

namespace {

constexpr int kGeneratorSkipStatus = 77;

TEST(Gb18030TablesGeneratorTest, ReproducesTheCommittedTables) {
  const std::string source_dir = CQP_SOURCE_DIR;
  const std::string output = CQP_GENERATED_TABLES;  // in the build tree, kept for a look
  const std::string command = std::string("'") + CQP_PYTHON3 + "' '" + source_dir +
                              "/tools/gen-gb18030-tables.py' --output '" + output + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << command;
  if (WEXITSTATUS(status) == kGeneratorSkipStatus) {
    GTEST_SKIP() << "this machine's iconv has no GB18030 converter";
  }
  ASSERT_EQ(WEXITSTATUS(status), 0) << command;
  const std::string committed =
      test_support::ReadFile(source_dir + "/host/onebot/gb18030_tables.inc");
  ASSERT_FALSE(committed.empty());
  EXPECT_TRUE(test_support::ReadFile(output) == committed)
      << "host/onebot/gb18030_tables.inc is out of date: run tools/gen-gb18030-tables.py";
}

}  // namespace
