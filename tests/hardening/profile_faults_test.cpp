// Faults of the profile files that the games must ride out silently, through the real exports
// 喂养宠物, 信息查询 and 打工: no config directory, a profile file that is a directory, and a
// file that another process rewrites or deletes between two calls. The program doubles as that
// other process (see main).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "child_process.h"
#include "common/run_directory.h"
#include "plugin/export_layer.h"
#include "plugin/exports.h"
#include "stepping_clock.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kPetFile = "宠物系统.ini";
const std::string kWorkFile = "工作配置.ini";

std::string Feed(const char* sender) { return CqpFeedPet("", "", "", sender, ""); }
std::string Query(const char* sender) { return CqpPetInfo("", "", "", sender, ""); }
std::string Work(const char* sender) { return CqpWork("", "", "", sender, ""); }

// The replies of a store that can neither read nor write: every user is new on every call and
// no level name or title can be read.
const std::string kFirstFeedNoNames =
    "[name]，恭喜你，喂养成功！[enter]喂养次数：1次[enter]获得经验：10点！[enter]总经验：10点"
    "[enter]当前等级：";
const std::string kFirstWorkNoTitles =
    "[name]，工作成功！[enter]本次工作获得工资30W！[enter]总资产为：30W！[enter]工作次数为：1次"
    "[enter]当前称号：";

const std::string kLevelNames =
    "[等级设置]\r\n等级1=蛋\r\n等级2=幼崽\r\n等级3=少年\r\n等级4=青年\r\n等级5=成年\r\n"
    "等级6=精英\r\n等级7=大师\r\n等级8=宗师\r\n等级9=传说\r\n等级10=神话\r\n";
const std::string kTitles = "[称号配置]\r\n称号1=新手\r\n称号2=熟练工\r\n称号3=老手\r\n";

std::string QueryReply(const std::string& level, const std::string& total, const std::string& count) {
  return level + "[enter][name]，查询成功！[enter]喂养总经验：" + total + "点！[enter]喂养次数：" +
         count + "次";
}

// Texts cross the command line as hexadecimal digits, safe from any code page conversion.
std::string ToHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

std::string FromHex(std::string_view hex) {
  auto value = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(value(hex[i]) * 16 + value(hex[i + 1]));
  }
  return bytes;
}

// Runs this program again as another process that writes or deletes a profile file.
void InOtherProcess(std::vector<std::string> arguments) {
  if (arguments.size() > 3) arguments[3] = ToHex(arguments[3]);
  const test_support::ChildResult child =
      test_support::RunChildProcess(test_support::CurrentProgramPath(), arguments, {});
  ASSERT_EQ(child.exit_code, 0) << child.output;
}

class ProfileFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { plugin::ReleaseAllSlots(); }
  void TearDown() override { plugin::ReleaseAllSlots(); }
  test_support::SteppingClock clock_{2014, 3, 2};
};

TEST_F(ProfileFaultTest, MissingConfigDirectoryMakesEveryUserNewOnEveryCall) {
  test_support::RunDirectoryFixture run(/*with_config_directory=*/false);
  for (int call = 0; call < 2; ++call) {
    EXPECT_EQ(Feed("10001"), kFirstFeedNoNames) << call;
    EXPECT_EQ(Query("10001"), "") << call;
    EXPECT_EQ(Work("10001"), kFirstWorkNoTitles) << call;
  }
  EXPECT_FALSE(fs::exists(run.path() / "config")) << "the module never creates the directory";
}

TEST_F(ProfileFaultTest, ProfileFileThatIsADirectoryReadsAsMissingAndIsLeftAlone) {
  test_support::RunDirectoryFixture run;
  const fs::path config = run.path() / "config";
  // The file system's own spelling of the names (the module's texts are GBK).
  const fs::path pet_directory = config / u8"宠物系统.ini";
  const fs::path work_directory = config / u8"工作配置.ini";
  ASSERT_TRUE(fs::create_directory(pet_directory));
  ASSERT_TRUE(fs::create_directory(work_directory));
  for (int call = 0; call < 2; ++call) {
    EXPECT_EQ(Feed("10001"), kFirstFeedNoNames) << call;
    EXPECT_EQ(Query("10001"), "") << call;
    EXPECT_EQ(Work("10001"), kFirstWorkNoTitles) << call;
  }
  EXPECT_TRUE(fs::is_directory(pet_directory));
  EXPECT_TRUE(fs::is_directory(work_directory));
  // Failed writes leave nothing behind: no temporary files pile up beside the targets.
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(config)) left.push_back(entry.path().string());
  EXPECT_EQ(left.size(), 2u) << ::testing::PrintToString(left);
}

TEST_F(ProfileFaultTest, FileRewrittenByAnotherProcessIsReadAsItIsNow) {
  test_support::RunDirectoryFixture run;
  const std::string pet = run.ProfilePath(kPetFile);
  test_support::WriteFile(pet, kLevelNames + "[10001]\r\n喂养次数=5\r\n总经验=50\r\n");
  EXPECT_EQ(Query("10001"), QueryReply("幼崽", "50", "5"));

  // Rewritten in place with a text of the same length within the same second: a reader that
  // trusted the size and the time of the file would still see the old values.
  InOtherProcess({"--write", run.path().string(), "pet",
                  kLevelNames + "[10001]\r\n喂养次数=3\r\n总经验=30\r\n", "in-place"});
  EXPECT_EQ(Query("10001"), QueryReply("蛋", "30", "3"));

  // Replaced by a new file renamed over the old one.
  InOtherProcess({"--write", run.path().string(), "pet",
                  kLevelNames + "[10001]\r\n喂养次数=26\r\n总经验=260\r\n", "rename"});
  EXPECT_EQ(Query("10001"), QueryReply("成年", "260", "26"));
  clock_.AdvanceDays(1);
  EXPECT_EQ(Feed("10001"),
            "[name]，恭喜你，喂养成功！[enter]喂养次数：27次[enter]获得经验：10点！[enter]总经验："
            "270点[enter]当前等级：成年");

  // Deleted: the user is new again, and the next feed makes the file anew.
  InOtherProcess({"--delete", run.path().string(), "pet"});
  EXPECT_EQ(Query("10001"), "");
  clock_.AdvanceDays(1);
  EXPECT_EQ(Feed("10001"), kFirstFeedNoNames);
  EXPECT_EQ(Query("10001"), QueryReply("", "10", "1"));
}

TEST_F(ProfileFaultTest, WorkRecordChangedByAnotherProcessDecidesTheNextCall) {
  test_support::RunDirectoryFixture run;
  test_support::WriteFile(run.ProfilePath(kWorkFile), kTitles);
  EXPECT_NE(Work("10001"), "");
  EXPECT_EQ(Work("10001"), "Oh! Sorry! [enter]今天的工作机会已经用完了！请明天再进行工作吧");

  // Another process sets the stamp back a day and the count to 5: the work is accepted again.
  InOtherProcess({"--write", run.path().string(), "work",
                  kTitles + "[10001]\r\n打工时间=2014/3/1\r\n打工次数=5\r\n总奖励=150\r\n",
                  "in-place"});
  EXPECT_EQ(Work("10001"),
            "[name]，工作成功！[enter]本次工作获得工资30W！[enter]总资产为：180W！[enter]"
            "工作次数为：6次[enter]当前称号：熟练工");

  InOtherProcess({"--delete", run.path().string(), "work"});
  EXPECT_EQ(Work("10001"), kFirstWorkNoTitles);
}

// The other process: --write RUN_DIR pet|work HEX_CONTENT in-place|rename, --delete RUN_DIR
// pet|work. It reaches the file by the module's own path, through the C library, which takes
// the path's bytes as the module does.
int OtherProcess(int argc, char** argv) {
  const std::string action = argv[1];
  if (argc < 4) return 2;
  common::SetRunDirectory(argv[2]);
  const std::string path = common::ProfilePath(std::string(argv[3]) == "pet" ? kPetFile : kWorkFile);
  if (action == "--delete") return std::remove(path.c_str()) == 0 ? 0 : 1;
  if (argc < 6) return 2;
  const std::string content = FromHex(argv[4]);
  if (std::string(argv[5]) == "rename") {
    const std::string temporary = path + ".new";
    test_support::WriteFile(temporary, content);
    // Where rename does not replace an existing file, the old one goes first.
    if (std::rename(temporary.c_str(), path.c_str()) == 0) return 0;
    return std::remove(path.c_str()) == 0 && std::rename(temporary.c_str(), path.c_str()) == 0 ? 0 : 1;
  }
  test_support::WriteFile(path, content);
  return test_support::ReadFile(path) == content ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::string(argv[1]) == "--write" || std::string(argv[1]) == "--delete")) {
    return OtherProcess(argc, argv);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
