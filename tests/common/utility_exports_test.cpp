// The three utility exports as the robot host calls them, null arguments included.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "stepping_clock.h"
#include "plugin/export_layer.h"
#include "plugin/exports.h"

namespace {

class UtilityExportsTest : public ::testing::Test {
 protected:
  void TearDown() override { plugin::ReleaseAllSlots(); }

  test_support::SteppingClock clock_{2014, 1, 1};
};

TEST_F(UtilityExportsTest, DayStampIsTodaysDate) {
  clock_.SetDate({2014, 3, 1});
  EXPECT_STREQ(CqpDayStamp(), "2014/3/1");
  clock_.SetDate({2013, 12, 31});
  EXPECT_STREQ(CqpDayStamp(), "2013/12/31");
}

TEST_F(UtilityExportsTest, StripSpacesReturnsTheStrippedTextAndLeavesTheCallersAlone) {
  char text[] = "猜 12\r\n\\r";
  EXPECT_STREQ(CqpStripSpaces(text), "猜12");
  EXPECT_STREQ(text, "猜 12\r\n\\r");
  EXPECT_STREQ(CqpStripSpaces(nullptr), "");
  EXPECT_STREQ(CqpStripSpaces(""), "");
}

TEST_F(UtilityExportsTest, TextBetweenTakesTextStartAndEndInThatOrder) {
  EXPECT_STREQ(CqpTextBetween("abc[x]def", "[", "]"), "x");
  EXPECT_STREQ(CqpTextBetween("abcdef", "xy", "d"), "abc");
  // A null is the empty text: no text, an empty start marker, an empty end marker.
  EXPECT_STREQ(CqpTextBetween(nullptr, "[", "]"), "");
  EXPECT_STREQ(CqpTextBetween("abcdef", nullptr, "d"), "abc");
  EXPECT_STREQ(CqpTextBetween("abc[x]def", "[", nullptr), "");
  EXPECT_STREQ(CqpTextBetween(nullptr, nullptr, nullptr), "");
}

}  // namespace
