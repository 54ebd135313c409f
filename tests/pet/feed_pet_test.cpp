// The daily feed on real profile files: a pet's whole life, the once-a-day rule against a
// moving clock, hand-edited records, and files or names that are missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pet_fixture.h"

namespace {

using namespace pet_test;

class FeedPetTest : public PetTest {
 protected:
  void SetUp() override { WritePetFile(""); }
};

TEST_F(FeedPetTest, FirstFeedCreatesTheRecordTotalFirstThenStampThenCount) {
  EXPECT_EQ(Feed(), FeedReply("1", "10", "破壳"));
  EXPECT_EQ(Record("总经验"), "10");
  EXPECT_EQ(Record("时间"), kToday);
  EXPECT_EQ(Record("喂养次数"), "1");

  // A new section's keys stand in the file in the order they were written.
  const std::string file = PetFileBytes();
  const auto section = file.find("[10001]");
  const auto total = file.find("总经验=10");
  const auto stamp = file.find("时间=2014/3/1");
  const auto count = file.find("喂养次数=1");
  ASSERT_NE(section, std::string::npos);
  EXPECT_LT(section, total);
  EXPECT_LT(total, stamp);
  EXPECT_LT(stamp, count);
  EXPECT_NE(count, std::string::npos);
}

TEST_F(FeedPetTest, SecondFeedTheSameDayIsRefusedAndWritesNothing) {
  ASSERT_EQ(Feed(), FeedReply("1", "10", "破壳"));
  const std::string before = PetFileBytes();
  EXPECT_EQ(Feed(), kAlreadyFed);
  EXPECT_EQ(Feed(), kAlreadyFed);
  EXPECT_EQ(PetFileBytes(), before);

  clock_.AdvanceDays(1);
  EXPECT_EQ(Feed(), FeedReply("2", "20", "破壳"));
  EXPECT_EQ(Record("时间"), "2014/3/2");
}

// Only today's stamp, byte for byte, refuses a feed.
TEST_F(FeedPetTest, AnyOtherStampLetsTheFeedGoOn) {
  for (const char* stamp : {"2014/2/28", "2014/3/2", "2015/3/1", "2014/03/01",
                            "昨天", ""}) {
    SCOPED_TRACE(stamp);
    WritePetFile(std::string("[10001]\r\n时间=") + stamp + "\r\n喂养次数=4\r\n总经验=40\r\n");
    EXPECT_EQ(Feed(), FeedReply("5", "50", "幼崽"));
    EXPECT_EQ(Record("时间"), kToday);
  }
}

TEST_F(FeedPetTest, FeedAcrossMidnightStampsTheNewDay) {
  WritePetFile("[10001]\r\n时间=2014/2/28\r\n喂养次数=2\r\n总经验=20\r\n");
  // The refusal check sees 1 March; the write, one date read later, 2 March.
  clock_.AdvanceDaysAfterReads(1, 1);
  EXPECT_EQ(Feed(), FeedReply("3", "30", "破壳"));
  EXPECT_EQ(Record("时间"), "2014/3/2");
  EXPECT_EQ(Feed(), kAlreadyFed);
}

// A pet's life at one feed a day, checked where the feed column changes its answer. The query
// is asked on the same days: its column parts from the feed's at 260, 630 and 690.
TEST_F(FeedPetTest, LifetimeFromFirstFeedPastTheTop) {
  struct Checkpoint {
    int feed;
    const char* feed_level;   // nullptr: the top reply; "": the empty reply
    const char* query_level;  // "": the empty reply
  };
  const Checkpoint checkpoints[] = {
      {1, "破壳", "破壳"},   {4, "破壳", "破壳"},   {5, "幼崽", "幼崽"},   {10, "幼崽", "幼崽"},
      {11, "少年", "少年"},  {17, "少年", "少年"},  {18, "青年", "青年"},  {25, "青年", "青年"},
      {26, "青年", "成年"},  {27, "成年", "成年"},  {34, "成年", "成年"},  {35, "精英", "精英"},
      {44, "精英", "精英"},  {45, "勇士", "勇士"},  {57, "勇士", "勇士"},  {58, "大师", "大师"},
      {62, "大师", "大师"},  {63, "宗师", "大师"},  {64, "宗师", "宗师"},  {68, "宗师", "宗师"},
      {69, "传说", "宗师"},  {70, nullptr, "传说"}, {71, "", ""},
  };
  std::size_t next = 0;
  for (int feed = 1; feed <= 71; ++feed) {
    SCOPED_TRACE("feed " + std::to_string(feed));
    const std::string reply = Feed();
    const std::string count = std::to_string(feed);
    const std::string total = std::to_string(feed * 10);
    ASSERT_EQ(Record("喂养次数"), count);
    ASSERT_EQ(Record("总经验"), total);
    if (next < std::size(checkpoints) && checkpoints[next].feed == feed) {
      const Checkpoint& c = checkpoints[next++];
      if (c.feed_level == nullptr) {
        EXPECT_EQ(reply, kTopReply);
      } else if (*c.feed_level == '\0') {
        EXPECT_EQ(reply, "");
      } else {
        EXPECT_EQ(reply, FeedReply(count, total, c.feed_level));
      }
      EXPECT_EQ(Query(), *c.query_level == '\0' ? "" : QueryReply(c.query_level, total, count));
    } else {
      ASSERT_NE(reply, kAlreadyFed);
      ASSERT_NE(reply, "");
    }
    EXPECT_EQ(Feed(), kAlreadyFed);
    clock_.AdvanceDays(1);
  }
  EXPECT_EQ(next, std::size(checkpoints));
  EXPECT_EQ(Record("时间"), "2014/5/10");  // the 71st day, counted from 1 March
}

// The new total always follows from the stored count; the stored total takes no part.
TEST_F(FeedPetTest, HandEditedRecords) {
  struct Case {
    const char* section;
    const char* reply_count;
    const char* reply_total;
    const char* level;  // "": the empty reply
  };
  const Case cases[] = {
      {"喂养次数=abc\r\n总经验=500\r\n", "1", "10", "破壳"},
      {"喂养次数=12\r\n总经验=999\r\n", "13", "130", "少年"},
      {"喂养次数=-1\r\n", "0", "0", "破壳"},
      {"喂养次数=１２\r\n", "13", "130", "少年"},
      {"喂养次数=12.9\r\n", "13", "130", "少年"},
      {"喂养次数=25次\r\n", "26", "260", "青年"},
      {"总经验=690\r\n", "1", "10", "破壳"},
      // Counts far beyond any real pet stay exact: no 32-bit overflow in count or total.
      {"喂养次数=2147483647\r\n", "2147483648", "21474836480", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    WritePetFile(std::string("[10001]\r\n时间=2014/2/1\r\n") + c.section);
    const std::string reply = Feed();
    EXPECT_EQ(reply, *c.level == '\0' ? "" : FeedReply(c.reply_count, c.reply_total, c.level));
    EXPECT_EQ(Record("喂养次数"), c.reply_count);
    EXPECT_EQ(Record("总经验"), c.reply_total);
    EXPECT_EQ(Record("时间"), kToday);
  }
}

TEST_F(FeedPetTest, MissingLevelNameEndsTheReplyAfterTheLabel) {
  test_support::WriteFile(pet_file_, "[等级设置]\r\n等级2=幼崽\r\n等级1=\r\n");
  EXPECT_EQ(Feed(), FeedReply("1", "10", ""));
  test_support::WriteFile(pet_file_, "[10001]\r\n喂养次数=6\r\n");
  EXPECT_EQ(Feed(), FeedReply("7", "70", ""));
}

TEST_F(FeedPetTest, UsersAreKeptApartBySenderNumber) {
  WritePetFile("[100010]\r\n时间=2014/3/1\r\n喂养次数=7\r\n总经验=70\r\n");
  EXPECT_EQ(Feed("10001"), FeedReply("1", "10", "破壳"));
  EXPECT_EQ(Feed("1000"), FeedReply("1", "10", "破壳"));
  EXPECT_EQ(Feed("100010"), kAlreadyFed);
  EXPECT_EQ(Record("喂养次数", "100010"), "7");
  EXPECT_EQ(Record("喂养次数", "1000"), "1");
}

// An empty sender names no section that can be read back: the feed is never refused, the
// reply is empty (the read-back of the total gives the empty text), and no user's record moves.
TEST_F(FeedPetTest, EmptySenderGetsTheEmptyReplyAndTouchesNoRecord) {
  WritePetFile("[10001]\r\n时间=2014/3/1\r\n喂养次数=7\r\n总经验=70\r\n");
  for (int call = 0; call < 2; ++call) {
    EXPECT_EQ(Feed(""), "");
    EXPECT_EQ(Feed("  "), "");
  }
  EXPECT_EQ(Record("喂养次数"), "7");
  EXPECT_EQ(Record("总经验"), "70");
  EXPECT_EQ(Record("时间"), kToday);
  EXPECT_EQ(Query(), QueryReply("幼崽", "70", "7"));
}

class FeedWithoutConfigDirectoryTest : public ::testing::Test {
 protected:
  test_support::RunDirectoryFixture run_directory_{/*with_config_directory=*/false};
  test_support::SteppingClock clock_{2014, 3, 1};
};

// Nothing can be stored or read: every feed is a first feed, and the level is looked up from
// the total just computed, whose name cannot be read either.
TEST_F(FeedWithoutConfigDirectoryTest, EveryFeedIsAFirstFeedAndNothingIsCreated) {
  for (int call = 0; call < 3; ++call) {
    common::CommandArgs args{"", "", "", kUser, ""};
    EXPECT_EQ(std::string(pet::FeedPet(args).c_str()), FeedReply("1", "10", ""));
  }
  EXPECT_FALSE(std::filesystem::exists(run_directory_.path() / "config"));
}

}  // namespace
