// Shared set-up of the pet command tests: a run directory with a config directory, a clock at
// 1 March 2014, the pet file with ten level names, and the reply texts built from their pieces.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

#include "common/command.h"
#include "common/profile_store.h"
#include "pet/pet_commands.h"
#include "stepping_clock.h"
#include "temp_dir.h"

namespace pet_test {

inline constexpr char kUser[] = "10001";
inline constexpr char kToday[] = "2014/3/1";
inline constexpr std::array<const char*, 10> kLevelNames = {
    "破壳", "幼崽", "少年", "青年", "成年", "精英", "勇士", "大师", "宗师", "传说"};

// "[等级设置]" with the ten names above, as the console window leaves it.
inline std::string LevelSection() {
  std::string text = "[等级设置]\r\n";
  for (std::size_t i = 0; i < kLevelNames.size(); ++i) {
    text += "等级" + std::to_string(i + 1) + "=" + kLevelNames[i] + "\r\n";
  }
  return text;
}

inline std::string FeedReply(std::string_view count, std::string_view total,
                             std::string_view level) {
  std::string reply = "[name]，恭喜你，喂养成功！[enter]喂养次数：";
  reply += count;
  reply += "次[enter]获得经验：10点！[enter]总经验：";
  reply += total;
  reply += "点[enter]当前等级：";
  reply += level;
  return reply;
}

inline std::string QueryReply(std::string_view level, std::string_view total,
                              std::string_view count) {
  std::string reply(level);
  reply += "[enter][name]，查询成功！[enter]喂养总经验：";
  reply += total;
  reply += "点！[enter]喂养次数：";
  reply += count;
  reply += "次";
  return reply;
}

inline constexpr char kAlreadyFed[] =
    "[name],今天你已经喂养过自己的宠物了。不要重复喂养！明天再来吧！";
inline constexpr char kTopReply[] =
    "[name].恭喜你！[enter]你已经到达了等级的巅峰！不需要再喂养了！";

class PetTest : public ::testing::Test {
 protected:
  std::string Feed(std::string_view sender = kUser) {
    common::CommandArgs args{"", "", "", std::string(sender), ""};
    return pet::FeedPet(args).c_str();
  }
  std::string Query(std::string_view sender = kUser) {
    common::CommandArgs args{"", "", "", std::string(sender), ""};
    return pet::PetInfo(args).c_str();
  }
  std::string Record(const char* key, std::string_view sender = kUser) {
    return common::ReadProfileValue(pet_file_, sender, key, "(missing)");
  }
  // Replaces the pet file with the level names followed by `user_sections`.
  void WritePetFile(std::string_view user_sections) {
    test_support::WriteFile(pet_file_, LevelSection() + std::string(user_sections));
  }
  std::string PetFileBytes() const { return test_support::ReadFile(pet_file_); }

  test_support::RunDirectoryFixture run_directory_;
  test_support::SteppingClock clock_{2014, 3, 1};
  const std::string pet_file_ = run_directory_.ProfilePath("宠物系统.ini");
};

}  // namespace pet_test
