// Profile writes that fail while reads still work, through the real exports 喂养宠物, 信息查询
// and 打工: a config directory mounted read-only, and a file size limit of zero (the disk-full
// case: a file can be opened but not one byte written). The replies are those of a store whose
// writes do not take effect, the files stay byte for byte as they were, and nothing is left
// behind. Each case runs in a child process of its own: the mount lives in a private mount
// namespace and the limit in the child alone. Tests run as root, where permissions do not stop
// a write, hence the read-only mount; where mounting is not allowed the case is skipped.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "plugin/export_layer.h"
#include "plugin/exports.h"
#include "stepping_clock.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kPet =
    "[等级设置]\r\n等级1=蛋\r\n等级2=幼崽\r\n[10001]\r\n时间=2014/3/1\r\n喂养次数=4\r\n总经验=40\r\n";
const std::string kWork =
    "[称号配置]\r\n称号1=新手\r\n称号2=熟练工\r\n[10001]\r\n打工时间=2014/3/1\r\n打工次数=5\r\n"
    "总奖励=150\r\n";

// The new count and total are computed, but the level follows the total the file still holds
// (40: slot 1), and since the day's stamp was not stored the next feed is accepted again.
const std::string kFeedReply =
    "[name]，恭喜你，喂养成功！[enter]喂养次数：5次[enter]获得经验：10点！[enter]总经验：50点"
    "[enter]当前等级：蛋";
const std::string kQueryReply =
    "蛋[enter][name]，查询成功！[enter]喂养总经验：40点！[enter]喂养次数：4次";
const std::string kWorkReply =
    "[name]，工作成功！[enter]本次工作获得工资30W！[enter]总资产为：180W！[enter]工作次数为：6次"
    "[enter]当前称号：熟练工";

// Runs `body` in a forked child and returns its exit code (128 + signal when killed).
int InChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool MountReadOnly(const std::string& directory) {
  return unshare(CLONE_NEWNS) == 0 &&
         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount(directory.c_str(), directory.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
         mount(nullptr, directory.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

int Expect(bool condition, const char* what, const std::string& got) {
  if (condition) return 0;
  std::fprintf(stderr, "failed: %s; got: %s\n", what, got.c_str());
  return 1;
}

// The calls and checks that run once writes fail; the exit code counts the failures.
int CallsWithFailingWrites(const std::string& pet_path, const std::string& work_path,
                           const fs::path& config) {
  test_support::SteppingClock clock(2014, 3, 2);
  int failures = 0;
  for (int call = 0; call < 2; ++call) {
    const std::string feed = CqpFeedPet("", "", "", "10001", "");
    failures += Expect(feed == kFeedReply, "the feed reply", feed);
    const std::string query = CqpPetInfo("", "", "", "10001", "");
    failures += Expect(query == kQueryReply, "the query reply", query);
    const std::string work = CqpWork("", "", "", "10001", "");
    failures += Expect(work == kWorkReply, "the work reply", work);
  }
  failures += Expect(test_support::ReadFile(pet_path) == kPet, "the pet file is unchanged",
                     test_support::ReadFile(pet_path));
  failures += Expect(test_support::ReadFile(work_path) == kWork, "the work file is unchanged",
                     test_support::ReadFile(work_path));
  std::string listing;
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(config)) {
    listing += entry.path().filename().string() + " ";
    ++entries;
  }
  failures += Expect(entries == 2, "nothing is left beside the two files", listing);
  plugin::ReleaseAllSlots();
  return failures;
}

class StoreWriteFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pet_path_ = run_.ProfilePath("宠物系统.ini");
    work_path_ = run_.ProfilePath("工作配置.ini");
    test_support::WriteFile(pet_path_, kPet);
    test_support::WriteFile(work_path_, kWork);
  }
  fs::path config() const { return run_.path() / "config"; }

  test_support::RunDirectoryFixture run_;
  std::string pet_path_;
  std::string work_path_;
};

TEST_F(StoreWriteFailureTest, ReadOnlyConfigDirectory) {
  const std::string directory = config().string();
  if (InChild([&] { return MountReadOnly(directory) ? 0 : 1; }) != 0) {
    GTEST_SKIP() << "no read-only bind mount here (needs a private mount namespace as root)";
  }
  EXPECT_EQ(InChild([&] {
              if (!MountReadOnly(directory)) return 99;
              return CallsWithFailingWrites(pet_path_, work_path_, config());
            }),
            0);
  EXPECT_EQ(test_support::ReadFile(pet_path_), kPet);
}

TEST_F(StoreWriteFailureTest, NoByteCanBeWritten) {
  EXPECT_EQ(InChild([&] {
              // The limit makes write() fail with EFBIG instead of raising SIGXFSZ.
              signal(SIGXFSZ, SIG_IGN);
              const rlimit none{0, 0};
              if (setrlimit(RLIMIT_FSIZE, &none) != 0) return 99;
              return CallsWithFailingWrites(pet_path_, work_path_, config());
            }),
            0);
  EXPECT_EQ(test_support::ReadFile(pet_path_), kPet);
  EXPECT_EQ(test_support::ReadFile(work_path_), kWork);
}

}  // namespace
