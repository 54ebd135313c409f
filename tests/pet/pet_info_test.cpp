// The pet query on real profile files: the query column, the record shown as stored, and a
// file that no number of queries changes.
#include <gtest/gtest.h>

#include <string>

#include "pet_fixture.h"

namespace {

using namespace pet_test;

class PetInfoTest : public PetTest {};

TEST_F(PetInfoTest, UserWhoNeverFedGetsTheEmptyReply) {
  WritePetFile("[10002]\r\n喂养次数=3\r\n总经验=30\r\n");
  EXPECT_EQ(Query(), "");
  EXPECT_EQ(Query(""), "");
}

TEST_F(PetInfoTest, AfterTheFirstFeed) {
  WritePetFile("");
  ASSERT_EQ(Feed(), FeedReply("1", "10", "破壳"));
  EXPECT_EQ(Query(), QueryReply("破壳", "10", "1"));
}

// The total is shown and looked up as stored; the count is shown as the number it reads as.
TEST_F(PetInfoTest, HandEditedRecords) {
  struct Case {
    const char* section;
    const char* reply;  // the level, the total and the count, or "" for the empty reply
    const char* total;
    const char* count;
  };
  const Case cases[] = {
      {"喂养次数=5\r\n总经验=50\r\n", "幼崽", "50", "5"},
      {"喂养次数=10\r\n总经验=100\r\n", "幼崽", "100", "10"},
      {"喂养次数=26\r\n总经验=260\r\n", "成年", "260", "26"},
      {"喂养次数=63\r\n总经验=630\r\n", "大师", "630", "63"},
      {"喂养次数=69\r\n总经验=690\r\n", "宗师", "690", "69"},
      {"喂养次数=70\r\n总经验=700\r\n", "传说", "700", "70"},
      {"喂养次数=abc\r\n总经验=30\r\n", "破壳", "30", "0"},
      {"喂养次数=12.9\r\n总经验=130\r\n", "少年", "130", "12"},
      {"喂养次数=-3\r\n总经验=0\r\n", "破壳", "0", "-3"},
      {"总经验=40\r\n", "破壳", "40", "0"},
      {"喂养次数=71\r\n总经验=710\r\n", "", "", ""},
      {"喂养次数=2\r\n总经验=75\r\n", "", "", ""},
      {"喂养次数=2\r\n总经验=020\r\n", "", "", ""},
      {"喂养次数=2\r\n总经验=\r\n", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    WritePetFile(std::string("[10001]\r\n") + c.section);
    EXPECT_EQ(Query(), *c.reply == '\0' ? "" : QueryReply(c.reply, c.total, c.count));
  }
}

TEST_F(PetInfoTest, EmptyLevelNameStartsTheReplyWithTheLineBreak) {
  test_support::WriteFile(pet_file_,
                          "[等级设置]\r\n等级1=\r\n[10001]\r\n喂养次数=1\r\n总经验=10\r\n");
  EXPECT_EQ(Query(), QueryReply("", "10", "1"));
  EXPECT_EQ(Query().rfind("[enter][name]", 0), 0u);
}

TEST_F(PetInfoTest, QueriesLeaveTheFileByteForByteUnchanged) {
  WritePetFile("[10001]\r\n时间=2014/3/1\r\n喂养次数=2\r\n总经验=20\r\n");
  const std::string before = PetFileBytes();
  for (int call = 0; call < 5; ++call) {
    EXPECT_EQ(Query(), QueryReply("破壳", "20", "2"));
    EXPECT_EQ(Query("10002"), "");
    EXPECT_EQ(Query(""), "");
  }
  EXPECT_EQ(PetFileBytes(), before);
}

}  // namespace
