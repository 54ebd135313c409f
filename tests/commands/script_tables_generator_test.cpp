// The committed ScriptConverter tables are what tools/gen-script-tables.py makes of the
// installed OpenCC dictionaries; skipped where OpenCC is not installed.
#include <gtest/gtest.h>

#include "generator_check.h"
#include "temp_dir.h"

namespace {

TEST(ScriptTablesGeneratorTest, ReproducesTheCommittedTables) {
  const test_support::TempDir dir;
  test_support::ExpectGeneratorReproduces(CQP_PYTHON3, CQP_SOURCE_DIR, "gen-script-tables.py",
                                          "src/commands/script_tables.inc",
                                          dir.string() + "/script_tables.inc",
                                          "opencc_dict or the OpenCC dictionaries are not installed");
}

}  // namespace
