// Builds the benchmark's profile files directly as text and runs the commands against them.
#include "games_bench_files.h"

#include <cstdint>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "common/command.h"
#include "common/run_directory.h"
#include "pet/pet_commands.h"
#include "platform/clock.h"
#include "work/work_command.h"

namespace games_bench {
namespace {

// A clock whose date is a different day on every NewDay(), so no command is refused.
class NewDayClock final : public platform::Clock {
 public:
  void NewDay() { ++day_; }
  platform::CalendarDate LocalDate() override {
    return {2014 + day_ / 336, 1 + (day_ / 28) % 12, 1 + day_ % 28};
  }
  std::uint32_t TickCountMs() override { return 0; }

 private:
  int day_ = 0;
};

NewDayClock& BenchClock() {
  static NewDayClock clock;
  return clock;
}

std::string QqNumber(int user) { return std::to_string(100000000 + user); }

// The path is the module's own native profile path, handed to the narrow-character stream as is.
void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// Users are visited with a large prime stride, so consecutive commands hit different parts of
// the file.
int PickUser(const GameFiles& files, int call) {
  return static_cast<int>((static_cast<std::int64_t>(call) * 7919) % files.users());
}

common::CommandArgs ArgsFor(int user) { return {"", "", "", QqNumber(user), ""}; }

}  // namespace

GameFiles::GameFiles(int users) : users_(users) {
  std::random_device entropy;
  directory_ = std::filesystem::temp_directory_path() /
               ("cqp-games-bench-" + std::to_string(entropy()));
  std::filesystem::create_directories(directory_ / "config");
  common::SetRunDirectory(directory_.string());

  // Appended piece by piece: GCC 12 mistakes a literal plus a temporary string for an
  // overlapping copy (-Wrestrict) in optimised builds.
  std::string pet = "[等级设置]\r\n";
  for (int slot = 1; slot <= 10; ++slot) {
    pet.append("等级").append(std::to_string(slot)).append("=第");
    pet.append(std::to_string(slot)).append("级\r\n");
  }
  std::string work =
      "[称号配置]\r\n称号1=搬砖工\r\n称号2=小职员\r\n称号3=主管\r\n称号4=经理\r\n称号5=董事长\r\n";
  for (int user = 0; user < users; ++user) {
    const std::string qq = QqNumber(user);
    const int feeds = user % 60;
    const int works = user % 25;
    pet.append("[").append(qq).append("]\r\n时间=2013/1/1\r\n喂养次数=");
    pet.append(std::to_string(feeds)).append("\r\n总经验=");
    pet.append(std::to_string(feeds * 10)).append("\r\n");
    work.append("[").append(qq).append("]\r\n打工时间=2013/1/1\r\n打工次数=");
    work.append(std::to_string(works)).append("\r\n总奖励=");
    work.append(std::to_string(works * 30)).append("\r\n");
  }
  WriteText(common::ProfilePath("宠物系统.ini"), pet);
  WriteText(common::ProfilePath("工作配置.ini"), work);
  platform::SetClockForTesting(&BenchClock());
}

GameFiles::~GameFiles() {
  platform::SetClockForTesting(nullptr);
  common::SetRunDirectory({});
  std::error_code error;
  std::filesystem::remove_all(directory_, error);
}

std::size_t FeedOnce(const GameFiles& files, int call) {
  BenchClock().NewDay();
  common::CommandArgs args = ArgsFor(PickUser(files, call));
  return std::string(pet::FeedPet(args).c_str()).size();
}

std::size_t WorkOnce(const GameFiles& files, int call) {
  BenchClock().NewDay();
  common::CommandArgs args = ArgsFor(PickUser(files, call));
  return std::string(work::Work(args).c_str()).size();
}

}  // namespace games_bench
