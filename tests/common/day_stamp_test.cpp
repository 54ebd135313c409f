// DayStamp: year/month/day without leading zeros, from whatever clock is current.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "common/day_stamp.h"
#include "stepping_clock.h"

namespace {

class DayStampTest : public ::testing::Test {
 protected:
  test_support::SteppingClock clock_{2014, 1, 1};
};

TEST_F(DayStampTest, WritesTheDateWithoutLeadingZeros) {
  const struct {
    platform::CalendarDate date;
    std::string_view stamp;
  } cases[] = {
      {{2014, 3, 1}, "2014/3/1"},
      {{2013, 12, 31}, "2013/12/31"},
      {{2013, 8, 30}, "2013/8/30"},
      {{2014, 1, 5}, "2014/1/5"},
      {{2000, 10, 10}, "2000/10/10"},
      {{999, 1, 1}, "999/1/1"},
  };
  for (const auto& c : cases) {
    clock_.SetDate(c.date);
    EXPECT_EQ(common::DayStamp(), c.stamp);
  }
}

TEST_F(DayStampTest, FollowsTheClockFromOneCallToTheNext) {
  clock_.SetDate({2013, 12, 31});
  const std::string before_midnight = common::DayStamp();
  clock_.SetDate({2014, 1, 1});
  EXPECT_EQ(before_midnight, "2013/12/31");
  EXPECT_EQ(common::DayStamp(), "2014/1/1");
}

TEST(DayStampSystemClockTest, HasTheShapeOfADate) {
  const std::string stamp = common::DayStamp();
  int slashes = 0;
  for (const char byte : stamp) {
    if (byte == '/') {
      ++slashes;
    } else {
      EXPECT_TRUE(byte >= '0' && byte <= '9') << stamp;
    }
  }
  EXPECT_EQ(slashes, 2) << stamp;
  EXPECT_EQ(stamp.find("/0"), std::string::npos) << stamp;
}

}  // namespace
