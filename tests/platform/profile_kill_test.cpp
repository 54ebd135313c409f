// Kills a process that writes a profile file without pause (profile_kill_writer) at random
// moments (SIGKILL: no clean-up of any kind) and checks after every kill that the file is whole:
// exactly the file of some number of completed writes, never truncated, partial, empty or
// missing.
// CQP_PROFILE_KILL_TRIALS sets the number of kills (1,000 by default; tools/profile-kill-test.sh
// runs a long series).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "temp_dir.h"

namespace {

constexpr int kSections = 300;
const std::string kPadding(64, 'p');

std::string SectionName(std::int64_t number) { return "s" + std::to_string(number); }

// The file after writes 1..k, where write c stores c under key n of section c mod kSections.
std::string FileAfter(std::int64_t k) {
  std::string file;
  for (int i = 0; i < kSections; ++i) {
    std::int64_t last = k - ((k - i) % kSections + kSections) % kSections;
    if (last <= 0) last = 0;
    file += "[" + SectionName(i) + "]\r\npad=" + kPadding + "\r\nn=" + std::to_string(last) +
            "\r\n";
  }
  return file + "[end]\r\nok=1\r\n";
}

// The number of completed writes the file shows, or -1 when it is not the file of any number
// of completed writes. The highest value in the file is the last completed write; the whole
// file must then be exactly the file after that write.
std::int64_t CompletedWrites(const std::string& file) {
  std::int64_t highest = 0;
  for (std::size_t at = file.find("\r\nn="); at != std::string::npos;
       at = file.find("\r\nn=", at + 1)) {
    highest = std::max<std::int64_t>(highest, std::atoll(file.c_str() + at + 4));
  }
  return file == FileAfter(highest) ? highest : -1;
}

// Microseconds on the monotonic clock (<chrono> does not build with GBK literals).
std::int64_t NowUs() {
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

int Trials() {
  const char* configured = std::getenv("CQP_PROFILE_KILL_TRIALS");
  return configured != nullptr ? std::atoi(configured) : 1000;
}

// Starts the writer on `path` from write `first` on, its output into `ready_fd`.
pid_t StartWriter(const std::string& path, std::int64_t first, int ready_fd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ready_fd, STDOUT_FILENO);
  const std::string first_text = std::to_string(first);
  const std::string sections_text = std::to_string(kSections);
  std::string program = CQP_KILL_WRITER;
  std::vector<char*> arguments = {program.data(), const_cast<char*>(path.c_str()),
                                  const_cast<char*>(first_text.c_str()),
                                  const_cast<char*>(sections_text.c_str()), nullptr};
  pid_t child = -1;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, arguments.data(), environ) != 0) {
    child = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

TEST(ProfileKillTest, FileIsWholeWhereverTheWriterDies) {
  test_support::TempDir dir;
  const std::string path = (dir.path() / "kill.ini").string();
  const std::filesystem::path temporary = dir.path() / ".kill.ini.tmp";
  test_support::WriteFile(path, FileAfter(0));

  // The duration of one write sets the range of the kill moments: from the writer's start to
  // one and a half writes later. A first writer runs for a while to measure it.
  std::int64_t done = 0;
  std::int64_t write_us = 0;
  {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = StartWriter(path, 1, ready[1]);
    ASSERT_GT(child, 0);
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    const std::int64_t start = NowUs();
    ::usleep(300000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    done = CompletedWrites(test_support::ReadFile(path));
    ASSERT_GT(done, 1) << "the file is damaged, or the writer does not write";
    write_us = (NowUs() - start) / done;
  }
  const std::int64_t window_us = std::max<std::int64_t>(50, 3 * write_us / 2);

  std::mt19937_64 random(std::random_device{}());
  const int trials = Trials();
  int damaged = 0;
  int inside_a_write = 0;
  std::string first_damage;
  for (int trial = 0; trial < trials; ++trial) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = StartWriter(path, done + 1, ready[1]);
    ASSERT_GT(child, 0);
    ::close(ready[1]);
    // The writer reports as it starts; the kill falls within its first write or two.
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    const auto delay = static_cast<long>(random() % static_cast<std::uint64_t>(window_us));
    const struct timespec pause = {0, delay * 1000};
    ::nanosleep(&pause, nullptr);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

    const std::string file = test_support::ReadFile(path);
    const std::int64_t completed = CompletedWrites(file);
    if (completed < done) {
      if (++damaged == 1) {
        first_damage = "trial " + std::to_string(trial) + ": " + std::to_string(file.size()) +
                       " bytes, after " + std::to_string(done) + " completed writes";
      }
      test_support::WriteFile(path, FileAfter(done));
      continue;
    }
    done = completed;
    // A temporary file is there only when the kill fell between its creation and the rename.
    if (std::filesystem::exists(temporary)) {
      ++inside_a_write;
      std::filesystem::remove(temporary);
    }
  }
  std::printf("%d kills, %d inside a write, %d damaged files; %lld writes completed, one write "
              "takes %lld us\n",
              trials, inside_a_write, damaged, static_cast<long long>(done),
              static_cast<long long>(write_us));
  EXPECT_EQ(damaged, 0) << first_damage;
  EXPECT_GT(inside_a_write, trials / 10) << "too few kills fell inside a write to mean much";
}

}  // namespace
