// Our POSIX profile store beyond what every implementation shares: every read sees the file as
// it is (changed by another process, by hand, deleted, replaced), the in-memory copy costs one
// stat when the file is unchanged, and a failed write leaves the old file whole. Faults and
// time are injected through the store's system-call table.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/profile_store.h"
#include "platform/posix/profile_format.h"
#include "platform/posix/profile_index.h"
#include "platform/posix/profile_io.h"
#include "platform/profile.h"
#include "temp_dir.h"

namespace {

namespace profile = platform::profile;
using test_support::ReadFile;
using test_support::WriteFile;

constexpr std::int64_t kSecond = 1000000000;

// What the installed system calls do besides the real work: count calls, fail one of them,
// report frozen timestamps and a clock of the test's choosing.
struct Injection {
  std::map<std::string, int> calls;
  std::string failing;          // the call to fail ("create" is an open that creates)
  int failing_errno = 0;
  int failures_left = 0;        // how many of its calls fail, after the first `passes`
  int passes = 0;
  bool short_writes = false;    // write one byte at a time
  std::int64_t stamp_ns = -1;   // reported as every file's mtime and ctime when >= 0
  std::int64_t now_ns = -1;     // the clock when >= 0
  bool remote_file_system = false;  // report NFS, where the store does not watch files
};

Injection injected;

bool Hit(const char* call) {
  ++injected.calls[call];
  if (injected.failing == call && injected.failures_left > 0) {
    if (injected.passes > 0) {
      --injected.passes;
      return false;
    }
    --injected.failures_left;
    errno = injected.failing_errno;
    return true;
  }
  return false;
}

void Restamp(struct stat* status) {
  if (injected.stamp_ns < 0) return;
  const struct timespec stamp = {static_cast<time_t>(injected.stamp_ns / kSecond),
                                 static_cast<long>(injected.stamp_ns % kSecond)};
  status->st_mtim = stamp;
  status->st_ctim = stamp;
}

const profile::SystemCalls& Real() { return profile::RealSystemCalls(); }

const profile::SystemCalls kInjected = {
    [](const char* path, int flags, mode_t mode) {
      return Hit((flags & O_CREAT) != 0 ? "create" : "open") ? -1 : Real().open(path, flags, mode);
    },
    [](int fd) { return Real().close(fd); },
    [](int fd, void* buffer, size_t size) -> ssize_t {
      return Hit("read") ? -1 : Real().read(fd, buffer, size);
    },
    [](int fd, const void* buffer, size_t size) -> ssize_t {
      if (Hit("write")) return -1;
      return Real().write(fd, buffer, injected.short_writes && size > 1 ? 1 : size);
    },
    [](const char* path, struct stat* status) {
      if (Hit("stat")) return -1;
      const int result = Real().stat(path, status);
      Restamp(status);
      return result;
    },
    [](int fd, struct stat* status) {
      if (Hit("fstat")) return -1;
      const int result = Real().fstat(fd, status);
      Restamp(status);
      return result;
    },
    [](int fd, mode_t mode) { return Hit("fchmod") ? -1 : Real().fchmod(fd, mode); },
    [](int fd) {
      struct stat status {};
      const bool directory = Real().fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
      return Hit(directory ? "fsync-directory" : "fsync") ? -1 : Real().fsync(fd);
    },
    [](const char* from, const char* to) { return Hit("rename") ? -1 : Real().rename(from, to); },
    [](const char* path) { return Hit("unlink") ? -1 : Real().unlink(path); },
    [](int fd, int operation) { return Hit("flock") ? -1 : Real().flock(fd, operation); },
    [](struct timespec* now) {
      if (injected.now_ns < 0) return Real().clock_now(now);
      now->tv_sec = static_cast<time_t>(injected.now_ns / kSecond);
      now->tv_nsec = static_cast<long>(injected.now_ns % kSecond);
      return 0;
    },
    [](int fd) { return injected.remote_file_system ? 0x6969L : Real().file_system_type(fd); },
    [](int flags) { return Hit("watch_init") ? -1 : Real().watch_init(flags); },
    [](int watch_fd, const char* path, unsigned mask) {
      return Hit("watch_add") ? -1 : Real().watch_add(watch_fd, path, mask);
    },
    [](int watch_fd, int watch) { return Real().watch_remove(watch_fd, watch); },
};

// Installs the injecting system calls and an empty cache for one test.
class ProfileStoreTest : public testing::Test {
 protected:
  ProfileStoreTest() : path_((dir_.path() / "t.ini").string()) {
    injected = Injection{};
    profile::CurrentSystemCalls() = kInjected;
    profile::ForgetCachedProfilesForTesting();
  }
  ~ProfileStoreTest() override {
    profile::CurrentSystemCalls() = profile::RealSystemCalls();
    profile::ForgetCachedProfilesForTesting();
  }

  std::string Read(const char* section, const char* key) {
    return platform::ReadProfileString(path_, section, key, "默认");
  }

  // Every entry of the directory but the profile file itself.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      if (entry.path().filename() != "t.ini") names.push_back(entry.path().filename().string());
    }
    return names;
  }

  test_support::TempDir dir_;
  std::string path_;
};

// --- Freshness: every read sees the file as it is now --------------------------------------

struct Change {
  const char* name;
  std::function<void(const std::string& path)> change;
  const char* expected;  // the read of s/k afterwards, "默认" for the default
};

void OverwriteInPlace(const std::string& path, long offset, const char* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(file, nullptr);
  std::fseek(file, offset, SEEK_SET);
  std::fputs(bytes, file);
  std::fclose(file);
}

std::vector<Change> Changes() {
  // The file starts as "[s]\r\nk=old\r\n": the value sits at offset 7.
  return {
      {"AnotherProcessWrites",
       [](const std::string& path) {
         const pid_t child = fork();
         if (child == 0) {
           // The child has its own copy of the store, cache included.
           _exit(platform::WriteProfileString(path, "s", "k", "new") ? 0 : 1);
         }
         int status = 0;
         waitpid(child, &status, 0);
         ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
       },
       "new"},
      {"HandEditKeepingTheSize", [](const std::string& path) { OverwriteInPlace(path, 7, "NEW"); },
       "NEW"},
      {"HandEditRestoringTheModificationTime",
       [](const std::string& path) {
         struct stat before {};
         ASSERT_EQ(::stat(path.c_str(), &before), 0);
         OverwriteInPlace(path, 7, "NEW");
         const struct timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
       },
       "NEW"},
      {"HandEditChangingTheSize",
       [](const std::string& path) { WriteFile(path, "[s]\r\nk=longer value\r\n"); },
       "longer value"},
      {"ReplacedByRenameWithTheSameSize",
       [](const std::string& path) {
         WriteFile(path + ".other", "[s]\r\nk=NEW\r\n");
         ASSERT_EQ(std::rename((path + ".other").c_str(), path.c_str()), 0);
       },
       "NEW"},
      {"Deleted", [](const std::string& path) { std::filesystem::remove(path); }, "默认"},
      {"EmptiedByHand", [](const std::string& path) { WriteFile(path, ""); }, "默认"},
      {"ReplacedByADirectory",
       [](const std::string& path) {
         std::filesystem::remove(path);
         std::filesystem::create_directory(path);
       },
       "默认"},
  };
}

class ProfileFreshness : public ProfileStoreTest, public testing::WithParamInterface<Change> {};

// Both right after the file was written, when its timestamps are too recent to trust and the
// store compares bytes, and once the copy has settled, when the stat alone must tell.
TEST_P(ProfileFreshness, ReadSeesTheChangeWhetherTheCopyIsRecentOrSettled) {
  for (const bool settled : {false, true}) {
    SCOPED_TRACE(settled ? "settled copy" : "recent copy");
    std::filesystem::remove_all(path_);
    profile::ForgetCachedProfilesForTesting();
    injected.now_ns = -1;
    ASSERT_TRUE(platform::WriteProfileString(path_, "s", "k", "old"));
    if (settled) {
      struct stat status {};
      ASSERT_EQ(::stat(path_.c_str(), &status), 0);
      injected.now_ns = (status.st_mtim.tv_sec + 10) * kSecond;
    }
    ASSERT_EQ(Read("s", "k"), "old");
    if (settled) {
      injected.calls.clear();
      ASSERT_EQ(Read("s", "k"), "old");
      ASSERT_EQ(injected.calls["open"], 0) << "a settled copy is used without reading the file";
      // The copy is settled because the file's stamp is old; make the file system's clock
      // agree, so that the change below gets a later stamp, as it would then.
      ::usleep(30000);
    }
    GetParam().change(path_);
    EXPECT_EQ(Read("s", "k"), GetParam().expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Changes, ProfileFreshness, testing::ValuesIn(Changes()),
                         [](const testing::TestParamInfo<Change>& param) {
                           return std::string(param.param.name);
                         });

// How the store came by its copy of a file, which decides how it checks a copy too recent to
// trust: a watch on a file it wrote itself, or reading the file back.
enum class Copy { kReadFromHandWrittenFile, kWritten, kWrittenOnRemoteFileSystem, kWrittenNoWatch };

class ProfileRacyCopy : public ProfileStoreTest, public testing::WithParamInterface<Copy> {
 protected:
  void MakeCopy() {
    switch (GetParam()) {
      case Copy::kReadFromHandWrittenFile:
        WriteFile(path_, "[s]\r\nk=old\r\n");
        break;
      case Copy::kWrittenOnRemoteFileSystem:
        injected.remote_file_system = true;
        ASSERT_TRUE(platform::WriteProfileString(path_, "s", "k", "old"));
        break;
      case Copy::kWrittenNoWatch:
        injected.failing = "watch_add";
        injected.failing_errno = ENOSPC;
        injected.failures_left = 1000;
        ASSERT_TRUE(platform::WriteProfileString(path_, "s", "k", "old"));
        break;
      case Copy::kWritten:
        ASSERT_TRUE(platform::WriteProfileString(path_, "s", "k", "old"));
        break;
    }
    ASSERT_EQ(Read("s", "k"), "old");
  }
};

// A file system whose timestamps stand still within a tick: a same-size edit leaves the stat
// exactly as it was, and only the racy-timestamp rule (check the copy while the stamp is not
// older than the copy by a safe margin) can see it.
TEST_P(ProfileRacyCopy, SameSizeEditWithinTheTimestampTickIsSeen) {
  struct Tick {
    std::int64_t stamp;
    std::int64_t now;
  };
  for (const Tick tick : {Tick{100 * kSecond, 100 * kSecond + kSecond / 2},  // whole seconds
                          Tick{100 * kSecond + 4000000, 100 * kSecond + 20000000}}) {  // 4 ms
    std::filesystem::remove(path_);
    profile::ForgetCachedProfilesForTesting();
    injected.stamp_ns = tick.stamp;
    injected.now_ns = tick.now;
    MakeCopy();
    OverwriteInPlace(path_, 7, "NEW");
    EXPECT_EQ(Read("s", "k"), "NEW");
    OverwriteInPlace(path_, 7, "one");
    EXPECT_EQ(Read("s", "k"), "one");
  }
}

// While a copy is too recent to trust, a file the store wrote itself on a local file system
// is checked through its watch, without reading it; any other copy is read back.
TEST_P(ProfileRacyCopy, RecentCopyIsReadBackOnlyWithoutAWatch) {
  injected.stamp_ns = 100 * kSecond + 4000000;
  injected.now_ns = 100 * kSecond + 20000000;
  MakeCopy();
  injected.calls.clear();
  for (int i = 0; i < 5; ++i) ASSERT_EQ(Read("s", "k"), "old");
  EXPECT_EQ(injected.calls["open"], GetParam() == Copy::kWritten ? 0 : 5);
}

INSTANTIATE_TEST_SUITE_P(Copies, ProfileRacyCopy,
                         testing::Values(Copy::kReadFromHandWrittenFile, Copy::kWritten,
                                         Copy::kWrittenOnRemoteFileSystem, Copy::kWrittenNoWatch),
                         [](const testing::TestParamInfo<Copy>& param) {
                           switch (param.param) {
                             case Copy::kReadFromHandWrittenFile: return "ReadFromHandWrittenFile";
                             case Copy::kWritten: return "Written";
                             case Copy::kWrittenOnRemoteFileSystem: return "WrittenOnRemote";
                             case Copy::kWrittenNoWatch: return "WrittenWithoutWatch";
                           }
                           return "";
                         });

// A child process shares the parent's watch queue after fork; it must not take the events
// the parent needs to see a change.
TEST_F(ProfileStoreTest, ForkedChildLeavesTheParentsWatchEvents) {
  injected.stamp_ns = 100 * kSecond + 4000000;
  injected.now_ns = 100 * kSecond + 20000000;
  const std::string other = (dir_.path() / "other.ini").string();
  ASSERT_TRUE(platform::WriteProfileString(path_, "s", "k", "old"));
  ASSERT_TRUE(platform::WriteProfileString(other, "s", "k", "other"));
  OverwriteInPlace(path_, 7, "NEW");
  // The child uses the other file only, which reads the event about the first, were it to
  // read the shared queue.
  const pid_t child = fork();
  if (child == 0) _exit(platform::ReadProfileString(other, "s", "k", "") == "other" ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Read("s", "k"), "NEW");
}

// Once the file's stamp lies safely in the past, a read of the unchanged file is one stat.
TEST_F(ProfileStoreTest, UnchangedSettledFileCostsOneStat) {
  WriteFile(path_, "[s]\r\nk=v\r\n[t]\r\nk=w\r\n");
  injected.stamp_ns = 100 * kSecond + 1;
  injected.now_ns = 100 * kSecond + 10000000;  // 10 ms later: not yet settled
  ASSERT_EQ(Read("s", "k"), "v");
  injected.calls.clear();
  ASSERT_EQ(Read("t", "k"), "w");
  EXPECT_EQ(injected.calls["open"], 1) << "a recent copy is compared with the file";
  injected.now_ns = 200 * kSecond;
  ASSERT_EQ(Read("t", "k"), "w");  // compares once more and settles
  injected.calls.clear();
  for (int i = 0; i < 10; ++i) ASSERT_EQ(Read(i % 2 ? "s" : "t", "k"), i % 2 ? "v" : "w");
  EXPECT_EQ(injected.calls["stat"], 10);
  EXPECT_EQ(injected.calls["open"], 0);
  EXPECT_EQ(injected.calls["read"], 0);
}

// --- Failed writes leave the old file whole ------------------------------------------------

struct Failure {
  const char* call;
  int error;
};

class ProfileWriteFailure : public ProfileStoreTest, public testing::WithParamInterface<Failure> {
};

TEST_P(ProfileWriteFailure, LeavesTheOldFileAndNoTemporaryFile) {
  const std::string old_bytes = "; kept\r\n[s]\r\nk=old\r\n[t]\r\nj=1\r\n";
  for (const bool file_existed : {true, false}) {
    SCOPED_TRACE(file_existed ? "file existed" : "no file yet");
    std::filesystem::remove(path_);
    profile::ForgetCachedProfilesForTesting();
    if (file_existed) {
      WriteFile(path_, old_bytes);
      ASSERT_EQ(Read("s", "k"), "old");  // the store holds the old file in memory too
    }
    injected.failing = GetParam().call;
    injected.failing_errno = GetParam().error;
    injected.failures_left = 1;
    EXPECT_FALSE(platform::WriteProfileString(path_, "s", "k", "new"));
    EXPECT_EQ(injected.failures_left, 0) << "the fault was never reached";
    EXPECT_EQ(std::filesystem::exists(path_), file_existed);
    if (file_existed) {
      EXPECT_EQ(ReadFile(path_), old_bytes);
      EXPECT_EQ(Read("s", "k"), "old");
    } else {
      EXPECT_EQ(Read("s", "k"), "默认");
    }
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    // The next write, without the fault, works from the file as it is.
    EXPECT_TRUE(platform::WriteProfileString(path_, "s", "k", "new"));
    EXPECT_EQ(Read("s", "k"), "new");
    if (file_existed) {
      EXPECT_EQ(Read("t", "j"), "1");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Calls, ProfileWriteFailure,
                         testing::Values(Failure{"create", EACCES}, Failure{"create", EROFS},
                                         Failure{"create", ENOSPC}, Failure{"write", ENOSPC},
                                         Failure{"write", EIO}, Failure{"fsync", EIO},
                                         Failure{"fsync", ENOSPC}, Failure{"rename", EIO},
                                         Failure{"rename", EACCES}),
                         [](const testing::TestParamInfo<Failure>& param) {
                           return std::string(param.param.call) + "_" +
                                  std::to_string(param.param.error);
                         });

// A file that exists but cannot be read is not replaced by a file holding one line.
TEST_F(ProfileStoreTest, UnreadableFileIsNotReplaced) {
  const std::string old_bytes = "[s]\r\nk=old\r\n[t]\r\nj=1\r\n";
  WriteFile(path_, old_bytes);
  for (const char* call : {"open", "read", "fstat"}) {
    SCOPED_TRACE(call);
    profile::ForgetCachedProfilesForTesting();
    injected.passes = std::string(call) == "open" ? 1 : 0;  // the directory opens first
    injected.failing = call;
    injected.failing_errno = EIO;
    injected.failures_left = 1;
    EXPECT_FALSE(platform::WriteProfileString(path_, "s", "k", "new"));
    EXPECT_EQ(ReadFile(path_), old_bytes);
  }
}

// Interrupted and partial system calls are carried on, not reported as failures.
TEST_F(ProfileStoreTest, InterruptedAndShortCallsComplete) {
  WriteFile(path_, "[s]\r\nk=old\r\n");
  injected.short_writes = true;
  for (const char* call : {"open", "read", "write", "create"}) {
    SCOPED_TRACE(call);
    profile::ForgetCachedProfilesForTesting();
    injected.failing = call;
    injected.failing_errno = EINTR;
    injected.failures_left = 2;
    const std::string value = std::string("after ") + call;
    EXPECT_TRUE(platform::WriteProfileString(path_, "s", "k", value));
    profile::ForgetCachedProfilesForTesting();
    EXPECT_EQ(Read("s", "k"), value);
  }
}

// The rename is in place when flushing the directory fails: the file is whole and new, but the
// write reports that it may not survive a power cut.
TEST_F(ProfileStoreTest, FailedDirectoryFlushIsReported) {
  WriteFile(path_, "[s]\r\nk=old\r\n");
  injected.failing = "fsync-directory";
  injected.failing_errno = EIO;
  injected.failures_left = 1;
  EXPECT_FALSE(platform::WriteProfileString(path_, "s", "k", "new"));
  EXPECT_EQ(ReadFile(path_), "[s]\r\nk=new\r\n");
  EXPECT_EQ(Read("s", "k"), "new");
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// Without the directory lock each process writes a temporary file of its own, and still
// leaves nothing behind.
TEST_F(ProfileStoreTest, WritesWithoutTheDirectoryLock) {
  injected.failing = "flock";
  injected.failing_errno = ENOLCK;
  injected.failures_left = 2;
  EXPECT_TRUE(platform::WriteProfileString(path_, "s", "k", "1"));
  EXPECT_TRUE(platform::WriteProfileString(path_, "s", "j", "2"));
  EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\nj=2\r\n");
  EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

// No line of the file can carry a name with a line break inside it (at either end it is a
// blank, trimmed like any other): such a write stores nothing rather than lines of its own
// making ("[s]" followed by an injected section, say).
TEST_F(ProfileStoreTest, NamesWithLineBreaksAreRefused) {
  WriteFile(path_, "[s]\r\nk=1\r\n");
  for (const auto& [section, key] : std::vector<std::pair<std::string, std::string>>{
           {"s\r\n[t]", "k"}, {"s", "k\nj"}, {"a\rb", "k"}}) {
    EXPECT_FALSE(platform::WriteProfileString(path_, section, key, "2"));
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\n");
  }
}

// A replaced file keeps its permissions; a symbolic link stays a link to the written file.
TEST_F(ProfileStoreTest, KeepsPermissionsAndSymbolicLinks) {
  const std::string real = (dir_.path() / "real.ini").string();
  WriteFile(real, "[s]\r\nk=old\r\n");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  std::filesystem::create_symlink("real.ini", path_);
  EXPECT_TRUE(platform::WriteProfileString(path_, "s", "k", "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
  EXPECT_EQ(ReadFile(real), "[s]\r\nk=new\r\n");
  struct stat status {};
  ASSERT_EQ(::stat(real.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// --- The in-memory copy stays identical to a fresh read ------------------------------------

// Random writes, with names that differ only in case, GBK names whose trail bytes are ']' or
// letters, and keys that turn their line into a section header ("[x]=v" reads as section x, on
// Windows too): after each write the store's answers equal those of a fresh read, and the
// index kept up to date across edits equals one built afresh.
TEST_F(ProfileStoreTest, CopyKeptAcrossWritesMatchesAFreshRead) {
  const std::vector<std::string> sections = {"1", "2", "10001", "Pet", "pet", "乚", "丄", "乤"};
  const std::vector<std::string> keys = {"k", "K", "时间", "[x]", "[1]", "乚]", "a=b"};
  WriteFile(path_, "; head\r\nk=0\r\n[2]\n k = 1 \n\n[Pet]\r\n[1]\r\nk=dup\r\n[x]");
  std::mt19937 random(12345);
  const auto pick = [&random](const std::vector<std::string>& names) {
    return names[random() % names.size()];
  };
  for (int round = 0; round < 400; ++round) {
    const std::string section = pick(sections);
    const std::string key = pick(keys);
    ASSERT_TRUE(platform::WriteProfileString(path_, section, key, std::to_string(round)));
    const std::string file = ReadFile(path_);
    profile::SectionIndex fresh;
    fresh.Build(file);
    for (const std::string& s : sections) {
      for (const std::string& k : keys) {
        const std::string cached = Read(s.c_str(), k.c_str());
        std::string expected = "默认";
        if (const auto span = profile::FindSectionByScan(file, s)) {
          ASSERT_EQ(fresh.Find(file, s)->header, span->header);
          if (const auto entry = profile::FindEntry(file, *span, k)) {
            expected = std::string(entry->parsed.value);
          }
        }
        ASSERT_EQ(cached, expected) << "round " << round << " [" << s << "] " << k << "\n"
                                    << file;
      }
    }
  }
}

}  // namespace
