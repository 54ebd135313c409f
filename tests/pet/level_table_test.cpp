// The LevelTable's two columns: range boundaries, the three keys where they differ, the top
// entry, and the texts that are not keys because the lookup compares text, not numbers.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "pet/level_table.h"

namespace {

using pet::LevelEntry;

constexpr LevelEntry Slot(int slot) { return {LevelEntry::Kind::kSlot, slot}; }
constexpr LevelEntry kTop{LevelEntry::Kind::kTop, 0};
constexpr LevelEntry kNone{};

struct LevelCase {
  const char* total;
  LevelEntry feed;
  LevelEntry query;
};

}  // namespace

namespace pet {
void PrintTo(const LevelEntry& e, std::ostream* os) {
  *os << (e.kind == LevelEntry::Kind::kSlot ? "slot " + std::to_string(e.slot)
          : e.kind == LevelEntry::Kind::kTop ? std::string("top")
                                             : std::string("none"));
}
}  // namespace pet

namespace {

void PrintTo(const LevelCase& c, std::ostream* os) { *os << '"' << c.total << '"'; }

class LevelTableTest : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LevelTableTest, BothColumns) {
  const LevelCase& c = GetParam();
  EXPECT_EQ(pet::LookUpFeedLevel(c.total), c.feed);
  EXPECT_EQ(pet::LookUpQueryLevel(c.total), c.query);
}

// The first and last key of every range, a key inside some of them, and the keys where the
// columns part.
INSTANTIATE_TEST_SUITE_P(Keys, LevelTableTest,
                         ::testing::Values(LevelCase{"0", Slot(1), Slot(1)},
                                           LevelCase{"40", Slot(1), Slot(1)},
                                           LevelCase{"50", Slot(2), Slot(2)},
                                           LevelCase{"80", Slot(2), Slot(2)},
                                           LevelCase{"100", Slot(2), Slot(2)},
                                           LevelCase{"110", Slot(3), Slot(3)},
                                           LevelCase{"170", Slot(3), Slot(3)},
                                           LevelCase{"180", Slot(4), Slot(4)},
                                           LevelCase{"250", Slot(4), Slot(4)},
                                           LevelCase{"260", Slot(4), Slot(5)},
                                           LevelCase{"270", Slot(5), Slot(5)},
                                           LevelCase{"340", Slot(5), Slot(5)},
                                           LevelCase{"350", Slot(6), Slot(6)},
                                           LevelCase{"440", Slot(6), Slot(6)},
                                           LevelCase{"450", Slot(7), Slot(7)},
                                           LevelCase{"470", Slot(7), Slot(7)},
                                           LevelCase{"570", Slot(7), Slot(7)},
                                           LevelCase{"580", Slot(8), Slot(8)},
                                           LevelCase{"620", Slot(8), Slot(8)},
                                           LevelCase{"630", Slot(9), Slot(8)},
                                           LevelCase{"640", Slot(9), Slot(9)},
                                           LevelCase{"680", Slot(9), Slot(9)},
                                           LevelCase{"690", Slot(10), Slot(9)},
                                           LevelCase{"700", kTop, Slot(10)}));

// Texts that a numeric lookup would accept, or that lie just outside the keys.
INSTANTIATE_TEST_SUITE_P(NotKeys, LevelTableTest,
                         ::testing::Values(LevelCase{"", kNone, kNone},
                                           LevelCase{"710", kNone, kNone},
                                           LevelCase{"7000", kNone, kNone},
                                           LevelCase{"75", kNone, kNone},
                                           LevelCase{"5", kNone, kNone},
                                           LevelCase{"-10", kNone, kNone},
                                           LevelCase{"-0", kNone, kNone},
                                           LevelCase{"+10", kNone, kNone},
                                           LevelCase{"070", kNone, kNone},
                                           LevelCase{"00", kNone, kNone},
                                           LevelCase{"10.0", kNone, kNone},
                                           LevelCase{"1e2", kNone, kNone},
                                           LevelCase{" 10", kNone, kNone},
                                           LevelCase{"10 ", kNone, kNone},
                                           LevelCase{"１０", kNone, kNone},
                                           LevelCase{"abc", kNone, kNone},
                                           LevelCase{"经验", kNone, kNone}));

}  // namespace
