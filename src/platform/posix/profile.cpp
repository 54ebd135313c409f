// Profile files on POSIX: a reader and a crash-safe writer of our own for the Windows INI form.
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/posix/profile_format.h"
#include "platform/posix/profile_io.h"

namespace platform {
namespace profile {
namespace {

int RealOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int RealClock(struct timespec* now) { return ::clock_gettime(CLOCK_REALTIME, now); }

constexpr SystemCalls kRealSystemCalls = {RealOpen, ::close,  ::read,   ::write,
                                          ::stat,   ::fstat,  ::fchmod, ::fsync,
                                          ::rename, ::unlink, ::flock,  RealClock};

SystemCalls current_calls = kRealSystemCalls;

const SystemCalls& Sys() { return current_calls; }

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) Sys().close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = Sys().open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Reads the whole of `fd` into `content`; false on a read error.
[[nodiscard]] bool ReadAll(int fd, std::size_t size_hint, std::string& content) {
  content.clear();
  content.resize(size_hint + 1);
  std::size_t filled = 0;
  for (;;) {
    if (filled == content.size()) content.resize(content.size() * 2);
    const ssize_t got = Sys().read(fd, content.data() + filled, content.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  content.resize(filled);
  return true;
}

[[nodiscard]] bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = Sys().write(fd, bytes.data(), bytes.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) {
      errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// What the file at `path` holds; false when it does not exist or cannot be read.
[[nodiscard]] bool LoadFile(const std::string& path, std::string& content) {
  const Fd fd(OpenRetrying(path.c_str(), O_RDONLY));
  if (!fd.valid()) return false;
  struct stat status {};
  if (Sys().fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  return ReadAll(fd.get(), static_cast<std::size_t>(status.st_size), content);
}

struct PathParts {
  std::string directory;
  std::string base;
};

PathParts SplitPath(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Replaces the file at `path` by `before` + `edit.insert` + `after`, so that whatever moment
// the process dies or the disk fills, the file holds either its old bytes or its new ones.
// The bytes go to a temporary file in the same directory (a rename cannot cross file
// systems), which is flushed to disk before it is renamed over the target, since otherwise a
// power cut could leave the new name pointing at data never written; the directory is then
// flushed so that the rename itself survives a power cut. `directory_fd` is the open
// directory, locked by the caller.
[[nodiscard]] bool ReplaceFile(const std::string& path, const PathParts& parts, int directory_fd,
                               bool locked, const struct stat* old_status,
                               std::string_view before, std::string_view insert,
                               std::string_view after) {
  // Under the directory lock one fixed name serves every write and a temporary file that a
  // killed writer left behind is simply reused; without the lock each writer needs its own.
  std::string temporary = parts.directory + "/." + parts.base;
  if (!locked) temporary += "." + std::to_string(::getpid());
  temporary += ".tmp";
  const Fd fd(OpenRetrying(temporary.c_str(),
                           O_WRONLY | O_CREAT | O_TRUNC | (locked ? 0 : O_EXCL), 0666));
  if (!fd.valid()) return false;
  bool ok = true;
  if (old_status != nullptr) {
    // Keep the permissions of the file being replaced; a failure here only loses those.
    static_cast<void>(Sys().fchmod(fd.get(), old_status->st_mode & 07777));
  }
  ok = WriteAll(fd.get(), before) && WriteAll(fd.get(), insert) && WriteAll(fd.get(), after) &&
       Sys().fsync(fd.get()) == 0 && Sys().rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    const int saved = errno;
    Sys().unlink(temporary.c_str());
    errno = saved;
    return false;
  }
  return Sys().fsync(directory_fd) == 0;
}

}  // namespace

const SystemCalls& RealSystemCalls() { return kRealSystemCalls; }
SystemCalls& CurrentSystemCalls() { return current_calls; }
void ForgetCachedProfilesForTesting() {}

}  // namespace profile

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& default_value) {
  using namespace profile;
  std::string content;
  if (!LoadFile(path.c_str(), content)) return std::string(default_value.c_str());
  const std::optional<SectionSpan> span = FindSectionByScan(content, section.c_str());
  if (!span) return std::string(default_value.c_str());
  const std::optional<EntryLine> entry = FindEntry(content, *span, key.c_str());
  if (!entry) return std::string(default_value.c_str());
  return std::string(entry->parsed.value);
}

bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
  using namespace profile;
  // Like the platform's C interface, every text ends at its first zero byte.
  const std::string target(path.c_str());
  const std::optional<WriteRequest> request =
      PrepareWrite(section.c_str(), key.c_str(), value.c_str());
  if (target.empty() || !request) return false;
  const PathParts parts = SplitPath(target);
  const Fd directory(OpenRetrying(parts.directory.c_str(), O_RDONLY | O_DIRECTORY));
  if (!directory.valid()) return false;
  // Writers of this store take turns per directory, so two processes never base their edits
  // on the same old file and lose one of them.
  const bool locked = Sys().flock(directory.get(), LOCK_EX) == 0;

  std::string content;
  struct stat status {};
  const bool exists = Sys().stat(target.c_str(), &status) == 0;
  if (exists && !LoadFile(target, content)) return false;
  const std::optional<SectionSpan> span = FindSectionByScan(content, request->section);
  const std::optional<Edit> edit = PlanWrite(content, span, *request);
  if (!edit) return true;
  const std::string_view text(content);
  return ReplaceFile(target, parts, directory.get(), locked, exists ? &status : nullptr,
                     text.substr(0, edit->offset), edit->insert,
                     text.substr(edit->offset + edit->erase));
}

}  // namespace platform
