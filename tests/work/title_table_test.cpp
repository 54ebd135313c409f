// The TitleTable: the edges of its five slots of unequal width, and the counts with no title.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "work/title_table.h"

namespace {

TEST(TitleTable, SlotEdges) {
  struct Case {
    std::int32_t count;
    std::optional<int> slot;
  };
  const Case cases[] = {
      {std::numeric_limits<std::int32_t>::min(), std::nullopt},
      {-1, std::nullopt},
      {0, std::nullopt},
      {1, 1},
      {5, 1},
      {6, 2},
      {13, 2},
      {14, 3},
      {19, 3},
      {20, 4},
      {25, 4},
      {26, 5},
      {30, 5},
      {31, std::nullopt},
      {std::numeric_limits<std::int32_t>::max(), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(work::TitleSlot(c.count), c.slot) << "count " << c.count;
  }
}

}  // namespace
