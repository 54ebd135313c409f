// The committed GB18030 tables are what tools/gen-gb18030-tables.py makes of this machine's
// glibc iconv; skipped where iconv has no GB18030 converter.
#include <gtest/gtest.h>

#include "generator_check.h"

namespace {

TEST(Gb18030TablesGeneratorTest, ReproducesTheCommittedTables) {
  // The output stays in the build tree, for a look when the check fails.
  test_support::ExpectGeneratorReproduces(CQP_PYTHON3, CQP_SOURCE_DIR, "gen-gb18030-tables.py",
                                          "host/onebot/gb18030_tables.inc", CQP_GENERATED_TABLES,
                                          "this machine's iconv has no GB18030 converter");
}

}  // namespace
