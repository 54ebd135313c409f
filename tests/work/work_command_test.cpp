// The daily work command on real profile files: a worker's life through the five titles, the
// once-a-day rule against a moving clock, hand-edited records, the operator's work info file,
// and files, names and senders that are missing.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>

#include "common/command.h"
#include "common/profile_store.h"
#include "stepping_clock.h"
#include "temp_dir.h"
#include "work/work_command.h"

namespace {

constexpr char kUser[] = "10001";
constexpr char kToday[] = "2014/3/1";
constexpr char kAlreadyWorked[] = "Oh! Sorry! [enter]今天的工作机会已经用完了！请明天再进行工作吧";
constexpr char kTitles[] =
    "[称号配置]\r\n称号1=搬砖工\r\n称号2=小职员\r\n称号3=主管\r\n称号4=经理\r\n称号5=董事长\r\n";

std::string WorkReply(std::string_view total, std::string_view count, std::string_view title) {
  std::string reply = "[name]，工作成功！[enter]本次工作获得工资30W！[enter]总资产为：";
  reply += total;
  reply += "W！[enter]工作次数为：";
  reply += count;
  reply += "次[enter]当前称号：";
  reply += title;
  return reply;
}

class WorkTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteWorkFile(""); }

  std::string Work(std::string_view sender = kUser) {
    common::CommandArgs args{"", "", "", std::string(sender), ""};
    return work::Work(args).c_str();
  }
  std::string Record(const char* key, std::string_view sender = kUser) {
    return common::ReadProfileValue(work_file_, sender, key, "(missing)");
  }
  // Replaces the work file with the five titles followed by `user_sections`.
  void WriteWorkFile(std::string_view user_sections) {
    test_support::WriteFile(work_file_, kTitles + std::string(user_sections));
  }

  test_support::RunDirectoryFixture run_directory_;
  test_support::SteppingClock clock_{2014, 3, 1};
  const std::string work_file_ = run_directory_.ProfilePath("工作配置.ini");
  const std::string info_file_ = run_directory_.ProfilePath("工作信息.ini");
};

TEST_F(WorkTest, FirstWorkCreatesTheRecordTotalFirstThenCountThenStamp) {
  EXPECT_EQ(Work(), WorkReply("30", "1", "搬砖工"));
  EXPECT_EQ(Record("总奖励"), "30");
  EXPECT_EQ(Record("打工次数"), "1");
  EXPECT_EQ(Record("打工时间"), kToday);

  const std::string file = test_support::ReadFile(work_file_);
  const auto section = file.find("[10001]");
  const auto total = file.find("总奖励=30");
  const auto count = file.find("打工次数=1");
  const auto stamp = file.find("打工时间=2014/3/1");
  ASSERT_NE(section, std::string::npos);
  EXPECT_LT(section, total);
  EXPECT_LT(total, count);
  EXPECT_LT(count, stamp);
  EXPECT_NE(stamp, std::string::npos);
  // The work info file is the operator's: the command creates no file beside the work file.
  const auto config = run_directory_.path() / "config";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(WorkTest, RefusedTheSameDayAndCountsOnePerAcceptedDay) {
  ASSERT_EQ(Work(), WorkReply("30", "1", "搬砖工"));
  const std::string before = test_support::ReadFile(work_file_);
  for (int call = 0; call < 3; ++call) EXPECT_EQ(Work(), kAlreadyWorked);
  EXPECT_EQ(test_support::ReadFile(work_file_), before);

  clock_.AdvanceDays(1);
  EXPECT_EQ(Work(), WorkReply("60", "2", "搬砖工"));
  EXPECT_EQ(Record("打工时间"), "2014/3/2");
  EXPECT_EQ(Work(), kAlreadyWorked);
}

TEST_F(WorkTest, StampOfAnyOtherDayIsAccepted) {
  for (const char* stamp : {"2014/2/28", "2014/3/2", "2013/3/1", "2014/03/01", "", "今天"}) {
    SCOPED_TRACE(stamp);
    WriteWorkFile(std::string("[10001]\r\n打工时间=") + stamp + "\r\n打工次数=5\r\n总奖励=150\r\n");
    EXPECT_EQ(Work(), WorkReply("180", "6", "小职员"));
  }
}

TEST_F(WorkTest, WorkAcrossMidnightStampsTheNewDay) {
  WriteWorkFile("[10001]\r\n打工时间=2014/2/28\r\n打工次数=1\r\n总奖励=30\r\n");
  clock_.AdvanceDaysAfterReads(1, 1);
  EXPECT_EQ(Work(), WorkReply("60", "2", "搬砖工"));
  EXPECT_EQ(Record("打工时间"), "2014/3/2");
  EXPECT_EQ(Work(), kAlreadyWorked);
}

// One accepted work a day from the first: each title at its first and last count, then the
// 31st work, which is stored like any other but has no title and so gets the empty reply.
TEST_F(WorkTest, LifetimeThroughTheFiveTitles) {
  const std::array<const char*, 32> title_of_work = {
      nullptr,  "搬砖工", "搬砖工", "搬砖工", "搬砖工", "搬砖工", "小职员", "小职员",
      "小职员", "小职员", "小职员", "小职员", "小职员", "小职员", "主管",   "主管",
      "主管",   "主管",   "主管",   "主管",   "经理",   "经理",   "经理",   "经理",
      "经理",   "经理",   "董事长", "董事长", "董事长", "董事长", "董事长", "",
  };
  for (int work = 1; work <= 31; ++work) {
    SCOPED_TRACE("work " + std::to_string(work));
    const std::string count = std::to_string(work);
    const std::string total = std::to_string(work * 30);
    const char* title = title_of_work[static_cast<std::size_t>(work)];
    EXPECT_EQ(Work(), *title == '\0' ? "" : WorkReply(total, count, title));
    EXPECT_EQ(Record("打工次数"), count);
    EXPECT_EQ(Record("总奖励"), total);
    EXPECT_EQ(Work(), kAlreadyWorked);
    clock_.AdvanceDays(1);
  }
  EXPECT_EQ(Record("打工时间"), "2014/3/31");
}

// The count carries on from whatever the record holds; the stored total takes no part.
TEST_F(WorkTest, HandEditedRecords) {
  struct Case {
    const char* section;
    const char* total;
    const char* count;
    const char* title;  // "": the empty reply
  };
  const Case cases[] = {
      {"打工次数=12\r\n", "390", "13", "小职员"},
      {"打工次数=2\r\n总奖励=5000\r\n", "90", "3", "搬砖工"},
      {"打工次数=abc\r\n总奖励=5000\r\n", "30", "1", "搬砖工"},
      {"打工次数=\r\n", "30", "1", "搬砖工"},
      {"打工次数=１９\r\n", "600", "20", "经理"},
      {"打工次数=-1\r\n", "0", "0", ""},
      {"打工次数=30\r\n", "930", "31", ""},
      // Far beyond any real worker the total stays 30 times the count instead of wrapping.
      {"打工次数=99999999\r\n", "3000000000", "100000000", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    WriteWorkFile(std::string("[10001]\r\n打工时间=2014/2/1\r\n") + c.section);
    EXPECT_EQ(Work(), *c.title == '\0' ? "" : WorkReply(c.total, c.count, c.title));
    EXPECT_EQ(Record("总奖励"), c.total);
    EXPECT_EQ(Record("打工次数"), c.count);
    EXPECT_EQ(Record("打工时间"), kToday);
  }
}

// A user's "打工次数" in the work info file decides the title; count and total stay the user's.
TEST_F(WorkTest, WorkInfoFileDecidesTheTitle) {
  struct Case {
    const char* info;
    const char* title;  // "": the empty reply
  };
  const Case cases[] = {
      {"[10001]\r\n打工次数=26\r\n", "董事长"},
      {"[10001]\r\n打工次数=7\r\n", "小职员"},
      {"[10001]\r\n打工次数=７\r\n", "小职员"},
      {"[10001]\r\n打工次数=abc\r\n", ""},
      {"[10001]\r\n打工次数=31\r\n", ""},
      {"[10002]\r\n打工次数=26\r\n", "搬砖工"},  // another user's count
      {"[10001]\r\n其他=26\r\n", "搬砖工"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.info);
    WriteWorkFile("[10001]\r\n打工时间=2014/2/1\r\n打工次数=2\r\n");
    test_support::WriteFile(info_file_, c.info);
    EXPECT_EQ(Work(), *c.title == '\0' ? "" : WorkReply("90", "3", c.title));
    EXPECT_EQ(Record("打工次数"), "3");
    EXPECT_EQ(test_support::ReadFile(info_file_), c.info);
  }
}

TEST_F(WorkTest, WorkInfoFileShowsAnExactTotalForAHugeCount) {
  WriteWorkFile("[10001]\r\n打工次数=100000000\r\n");
  test_support::WriteFile(info_file_, "[10001]\r\n打工次数=26\r\n");
  EXPECT_EQ(Work(), WorkReply("3000000030", "100000001", "董事长"));
  EXPECT_EQ(Record("总奖励"), "3000000030");
}

TEST_F(WorkTest, MissingTitleGivesAnEmptyTitle) {
  test_support::WriteFile(work_file_, "[称号配置]\r\n称号2=小职员\r\n称号1=\r\n");
  EXPECT_EQ(Work(), WorkReply("30", "1", ""));
  test_support::WriteFile(work_file_, "[10001]\r\n打工次数=5\r\n");
  EXPECT_EQ(Work(), WorkReply("180", "6", ""));
}

TEST_F(WorkTest, OnlyTheSenderArgumentMatters) {
  common::CommandArgs args{"参数", "x", "123456", kUser, "y"};
  EXPECT_EQ(std::string(work::Work(args).c_str()), WorkReply("30", "1", "搬砖工"));
  EXPECT_EQ(Record("打工次数", "123456"), "(missing)");
  EXPECT_EQ(Record("打工次数", "参数"), "(missing)");
}

// An empty or blank sender names no section that can be read back: nothing refuses it, the
// title count reads as 0 and the reply is empty; no user's record moves.
TEST_F(WorkTest, EmptySenderGetsTheEmptyReplyAndTouchesNoRecord) {
  WriteWorkFile("[10001]\r\n打工时间=2014/3/1\r\n打工次数=7\r\n总奖励=210\r\n");
  for (int call = 0; call < 2; ++call) {
    EXPECT_EQ(Work(""), "");
    EXPECT_EQ(Work(" "), "");
  }
  EXPECT_EQ(Record("打工次数"), "7");
  EXPECT_EQ(Record("总奖励"), "210");
  EXPECT_EQ(Work(), kAlreadyWorked);
}

class WorkWithoutConfigDirectoryTest : public ::testing::Test {
 protected:
  test_support::RunDirectoryFixture run_directory_{/*with_config_directory=*/false};
  test_support::SteppingClock clock_{2014, 3, 1};
};

TEST_F(WorkWithoutConfigDirectoryTest, EveryWorkIsAFirstWorkAndNothingIsCreated) {
  for (int call = 0; call < 3; ++call) {
    common::CommandArgs args{"", "", "", kUser, ""};
    EXPECT_EQ(std::string(work::Work(args).c_str()), WorkReply("30", "1", ""));
  }
  EXPECT_FALSE(std::filesystem::exists(run_directory_.path() / "config"));
}

}  // namespace
