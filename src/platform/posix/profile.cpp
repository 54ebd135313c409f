// Profile files on POSIX: a reader and a crash-safe writer of our own for the Windows INI form,
// with the few files the module uses kept in memory and checked against the disk on every use.
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/inotify.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/profile_format.h"
#include "platform/posix/profile_index.h"
#include "platform/posix/profile_io.h"

namespace platform {
namespace profile {
namespace {

int RealOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int RealClock(struct timespec* now) { return ::clock_gettime(CLOCK_REALTIME, now); }

#if defined(__linux__)
long RealFileSystemType(int fd) {
  struct statfs status {};
  return ::fstatfs(fd, &status) == 0 ? static_cast<long>(status.f_type) : -1;
}
int RealWatchInit(int flags) { return ::inotify_init1(flags); }
int RealWatchAdd(int watch_fd, const char* path, unsigned mask) {
  return ::inotify_add_watch(watch_fd, path, mask);
}
int RealWatchRemove(int watch_fd, int watch) { return ::inotify_rm_watch(watch_fd, watch); }
#else
long RealFileSystemType(int) { return -1; }
int RealWatchInit(int) { return errno = ENOSYS, -1; }
int RealWatchAdd(int, const char*, unsigned) { return errno = ENOSYS, -1; }
int RealWatchRemove(int, int) { return errno = ENOSYS, -1; }
#endif

constexpr SystemCalls kRealSystemCalls = {
    RealOpen,  ::close,  ::read,      ::write,           ::stat,        ::fstat,
    ::fchmod,  ::fsync,  ::rename,    ::unlink,          ::flock,       RealClock,
    RealFileSystemType, RealWatchInit, RealWatchAdd, RealWatchRemove};

SystemCalls current_calls = kRealSystemCalls;

const SystemCalls& Sys() { return current_calls; }

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) Sys().close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

// The identity and version of a file as stat reports it. Any change to a file through the file
// system moves its size, mtime or ctime; a replacement (our rename, an editor's) moves the inode.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t mtime_ns = 0;
  std::int64_t ctime_ns = 0;
};

std::int64_t Nanoseconds(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileStamp StampOf(const struct stat& status) {
  return {status.st_dev, status.st_ino, status.st_size, Nanoseconds(status.st_mtim),
          Nanoseconds(status.st_ctim)};
}

bool operator==(const FileStamp& a, const FileStamp& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size &&
         a.mtime_ns == b.mtime_ns && a.ctime_ns == b.ctime_ns;
}

std::int64_t Now() {
  struct timespec now {};
  if (Sys().clock_now(&now) != 0) return 0;
  return Nanoseconds(now);
}

// Whether a copy of a file taken at `taken_at` (the clock just before the file was read, or
// just after the store renamed it into place) can be trusted for as long as the file's stamp
// stays the same. A later change can still carry the same timestamps when it falls within the
// timestamp tick of the last change before it (git's "racy" index entries): the file system
// stamps files from a coarse clock (a scheduler tick, or whole seconds on file systems without
// sub-second times). So the copy is settled only when the file's last change lies more than
// one such tick before the copy was taken; until then every use checks the copy against the
// file. Whole-second stamps (both nanosecond parts zero) get a margin of three seconds, for
// FAT's two-second stamps; finer ones 50 ms, for a tick of up to 10 ms on the coarse kernel
// clock and on exFAT, with room to spare.
bool Settled(const FileStamp& stamp, std::int64_t taken_at) {
  const bool whole_seconds = stamp.mtime_ns % 1000000000 == 0 && stamp.ctime_ns % 1000000000 == 0;
  const std::int64_t margin = whole_seconds ? 3000000000 : 50000000;
  return std::max(stamp.mtime_ns, stamp.ctime_ns) < taken_at - margin;
}

// --- Watches on files the store has just written ---------------------------------------------
//
// Right after a write the file's stamp is too recent to trust (see Settled), and checking the
// copy by reading the whole file again on every use would cost more than the write. Instead
// the store asks the kernel to watch the new file from before it is renamed into place, when
// its bytes are exactly the store's copy and only the store knows it: as long as no event but
// our own rename arrives, nobody has changed it. This only holds where every change passes
// through this kernel, so it is used on local file systems only; elsewhere, and when watching
// fails, the store reads the file back instead.

constexpr unsigned kWatchedEvents = 0x2 | 0x4 | 0x400 | 0x800;  // modify, attrib, delete, move
constexpr unsigned kMoveSelf = 0x800;
constexpr unsigned kIgnored = 0x8000;
constexpr unsigned kQueueOverflow = 0x4000;

// Local file systems whose times the kernel stamps and whose every change inotify reports:
// ext2/3/4, XFS, Btrfs, tmpfs, F2FS.
bool WatchableFileSystem(int directory_fd) {
  switch (Sys().file_system_type(directory_fd)) {
    case 0xEF53:
    case 0x58465342:
    case 0x9123683E:
    case 0x01021994:
    case static_cast<long>(0xF2F52010):
      return true;
    default:
      return false;
  }
}

int watch_fd = -1;
pid_t watch_owner = 0;  // the process that made watch_fd
bool watching_failed = false;

void ForgetAllWatches();

// A child process made by fork shares the parent's watch queue, and either could read the
// other's events: the child lets go of it and checks its copies by reading the files.
void LeaveInheritedWatches() {
  if (watch_fd < 0 || watch_owner == ::getpid()) return;
  Sys().close(watch_fd);
  watch_fd = -1;
  ForgetAllWatches();
}

// Starts watching the file at `path`; -1 when that cannot be done.
int Watch(const std::string& path) {
  LeaveInheritedWatches();
  if (watch_fd < 0) {
    if (watching_failed) return -1;
    watch_fd = Sys().watch_init(O_NONBLOCK | O_CLOEXEC);
    if (watch_fd < 0) {
      watching_failed = true;
      return -1;
    }
    watch_owner = ::getpid();
  }
  return Sys().watch_add(watch_fd, path.c_str(), kWatchedEvents);
}

void Unwatch(int watch) {
  // Not in a forked child: the watch is the parent's.
  if (watch >= 0 && watch_fd >= 0 && watch_owner == ::getpid()) {
    Sys().watch_remove(watch_fd, watch);
  }
}

// One profile file as the store last saw it: its bytes, their section index, and the stamp of
// the file they were read from or written to.
struct CachedFile {
  CachedFile() = default;
  CachedFile(const CachedFile&) = delete;
  CachedFile& operator=(const CachedFile&) = delete;
  ~CachedFile() { StopWatching(); }

  void StopWatching() {
    Unwatch(watch);
    watch = -1;
  }

  std::string path;
  std::string content;
  SectionIndex index;
  FileStamp stamp;
  mode_t mode = 0;
  bool settled = false;
  std::uint64_t last_use = 0;
  // The watch on a file the store wrote, while its stamp is too recent to trust.
  int watch = -1;
  int own_moves = 0;     // rename events of our own still to come
  bool changed = false;  // an event not of our own arrived
};

// The few files the module uses stay in memory, least recently used out first.
constexpr std::size_t kCachedFiles = 8;

std::mutex cache_mutex;
std::vector<std::unique_ptr<CachedFile>> cache;
std::uint64_t use_counter = 0;

void ForgetAllWatches() {
  for (const auto& file : cache) {
    if (file->watch >= 0) file->changed = true;
    file->watch = -1;
  }
}

// Reads every pending watch event and marks the files they concern.
void DrainWatchEvents() {
  LeaveInheritedWatches();
  if (watch_fd < 0) return;
#if defined(__linux__)
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t got = Sys().read(watch_fd, buffer, sizeof buffer);
    if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      // Events may be left unread: no watched copy can be trusted.
      for (const auto& file : cache) file->changed = file->changed || file->watch >= 0;
      return;
    }
    if (got <= 0) return;  // nothing more
    for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(got);) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      at += sizeof event + event.len;
      for (const auto& file : cache) {
        if ((event.mask & kQueueOverflow) != 0) {
          file->changed = true;
        } else if (file->watch == event.wd) {
          if ((event.mask & kMoveSelf) != 0 && file->own_moves > 0) {
            --file->own_moves;
          } else {
            file->changed = true;
            if ((event.mask & kIgnored) != 0) file->watch = -1;  // the kernel dropped it
          }
        }
      }
    }
  }
#endif
}

CachedFile* FindCached(const std::string& path) {
  for (const auto& file : cache) {
    if (file->path == path) {
      file->last_use = ++use_counter;
      return file.get();
    }
  }
  return nullptr;
}

void Forget(const std::string& path) {
  std::erase_if(cache, [&path](const auto& file) { return file->path == path; });
}

CachedFile& AddCached(const std::string& path) {
  Forget(path);
  if (cache.size() >= kCachedFiles) {
    cache.erase(std::min_element(cache.begin(), cache.end(), [](const auto& a, const auto& b) {
      return a->last_use < b->last_use;
    }));
  }
  cache.push_back(std::make_unique<CachedFile>());
  CachedFile& file = *cache.back();
  file.path = path;
  file.last_use = ++use_counter;
  return file;
}

// --- Reading --------------------------------------------------------------------------------

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = Sys().open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Reads up to `size` bytes, fewer only at the end of the file; -1 on a read error.
ssize_t ReadFully(int fd, char* buffer, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t got = Sys().read(fd, buffer + filled, size - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(filled);
}

// Reads the whole of `fd` into `content`; false on a read error.
[[nodiscard]] bool ReadAll(int fd, std::size_t size_hint, std::string& content) {
  content.resize(size_hint + 1);  // one byte more, to notice a file that grew meanwhile
  std::size_t filled = 0;
  for (;;) {
    const ssize_t got = ReadFully(fd, content.data() + filled, content.size() - filled);
    if (got < 0) return false;
    filled += static_cast<std::size_t>(got);
    if (filled < content.size()) break;
    content.resize(content.size() * 2);
  }
  content.resize(filled);
  return true;
}

enum class Freshness { kReady, kMissing, kUnreadable };

// Reads the file at `path` afresh into the cache.
Freshness Load(const std::string& path, CachedFile*& file) {
  file = nullptr;
  const std::int64_t taken_at = Now();
  const Fd fd(OpenRetrying(path.c_str(), O_RDONLY));
  if (!fd.valid()) {
    const bool missing = errno == ENOENT;
    Forget(path);
    return missing ? Freshness::kMissing : Freshness::kUnreadable;
  }
  struct stat status {};
  if (Sys().fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    Forget(path);
    return Freshness::kUnreadable;
  }
  CachedFile& fresh = AddCached(path);
  if (!ReadAll(fd.get(), static_cast<std::size_t>(status.st_size), fresh.content)) {
    Forget(path);
    return Freshness::kUnreadable;
  }
  fresh.index.Build(fresh.content);
  fresh.stamp = StampOf(status);
  fresh.mode = status.st_mode;
  fresh.settled = Settled(fresh.stamp, taken_at);
  file = &fresh;
  return Freshness::kReady;
}

// Whether the file at `file->path` still holds exactly the cached bytes, by reading it.
bool SameBytes(const CachedFile& file) {
  static char chunk[1 << 18];
  const Fd fd(OpenRetrying(file.path.c_str(), O_RDONLY));
  struct stat status {};
  if (!fd.valid() || Sys().fstat(fd.get(), &status) != 0 || !(StampOf(status) == file.stamp)) {
    return false;
  }
  for (std::size_t offset = 0;;) {
    const ssize_t got = ReadFully(fd.get(), chunk, sizeof chunk);
    if (got < 0) return false;
    const auto length = static_cast<std::size_t>(got);
    if (length > file.content.size() - offset ||
        std::memcmp(chunk, file.content.data() + offset, length) != 0) {
      return false;
    }
    offset += length;
    if (length < sizeof chunk) return offset == file.content.size();
  }
}

// Checks the copy of a file whose stamp has not moved but is too recent to trust (see
// Settled): through the watch when the store wrote the file itself, else by comparing bytes.
// Reloads the file when it differs.
Freshness Verify(CachedFile*& file) {
  const std::int64_t taken_at = Now();
  if (file->watch >= 0) {
    DrainWatchEvents();
    if (file->watch >= 0 && !file->changed) {
      file->settled = Settled(file->stamp, taken_at);
      if (file->settled) file->StopWatching();
      return Freshness::kReady;
    }
    file->StopWatching();
  }
  if (!SameBytes(*file)) return Load(std::string(file->path), file);
  file->settled = Settled(file->stamp, taken_at);
  return Freshness::kReady;
}

// Brings the cached copy of `path` up to date with the file: one stat when nothing changed
// since a settled copy was taken, a check of the copy when it is too recent to trust, a fresh
// read otherwise. `file` is the cached copy when the result is kReady.
Freshness Refresh(const std::string& path, CachedFile*& file) {
  file = nullptr;
  struct stat status {};
  if (Sys().stat(path.c_str(), &status) != 0) {
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    Forget(path);
    return missing ? Freshness::kMissing : Freshness::kUnreadable;
  }
  CachedFile* cached = FindCached(path);
  if (cached == nullptr || !(cached->stamp == StampOf(status))) return Load(path, file);
  file = cached;
  return file->settled ? Freshness::kReady : Verify(file);
}

// --- Writing --------------------------------------------------------------------------------

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

struct PathParts {
  std::string directory;
  std::string base;
};

PathParts SplitPath(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The file a write must replace: the target of `path` when it is a symbolic link, so that the
// link stays a link; `path` itself otherwise.
std::string WriteTarget(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

struct Replacement {
  struct stat status {};  // the new file's
  int watch = -1;         // the watch on it, if any
};

// Replaces the file at `path` by the concatenation of `pieces` so that whatever moment the
// process dies, and whatever fails on the way (a full disk, a read-only directory), the file
// holds either all of its old bytes or all of its new ones. The bytes go to a temporary file
// in the same directory (a rename cannot cross file systems) and are flushed to disk before the
// rename, since after a power cut a renamed file whose data never reached the disk can come
// back empty; the caller flushes the directory last, so that the rename itself survives a power
// cut. `locked`: the caller holds the directory's lock. `old_mode`: the permissions of the file
// replaced, if any. `watch`: watch the new file (see Watch).
[[nodiscard]] std::optional<Replacement> ReplaceFile(const std::string& path,
                                                     const PathParts& parts, bool locked,
                                                     std::optional<mode_t> old_mode,
                                                     const std::vector<std::string_view>& pieces,
                                                     bool watch) {
  // Under the directory lock one name serves every write, and a temporary file that a killed
  // writer left behind is simply reused; without the lock each process needs a name of its own.
  std::string temporary = parts.directory;
  temporary.append("/.").append(parts.base);
  if (!locked) temporary.append(".").append(std::to_string(::getpid()));
  temporary.append(".tmp");
  const Fd fd(OpenRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666));
  if (!fd.valid()) return std::nullopt;
  if (old_mode) {
    // Keep the permissions of the file being replaced; failing that only loses those.
    static_cast<void>(Sys().fchmod(fd.get(), *old_mode & 07777));
  }
  Replacement done;
  bool ok = true;
  for (const std::string_view piece : pieces) ok = ok && WriteAll(fd.get(), piece);
  ok = ok && Sys().fsync(fd.get()) == 0;
  if (ok && watch) done.watch = Watch(temporary);
  ok = ok && Sys().rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    const int saved = errno;
    Unwatch(done.watch);
    Sys().unlink(temporary.c_str());
    errno = saved;
    return std::nullopt;
  }
  // The rename moved the new file's ctime, so its stamp is taken after it. Should that fail,
  // a zero stamp matches no file and the next use reads the file again.
  if (Sys().fstat(fd.get(), &done.status) != 0) done.status = {};
  return done;
}

}  // namespace

const SystemCalls& RealSystemCalls() { return kRealSystemCalls; }
SystemCalls& CurrentSystemCalls() { return current_calls; }

void ForgetCachedProfilesForTesting() {
  const std::lock_guard lock(cache_mutex);
  cache.clear();
  if (watch_fd >= 0) Sys().close(watch_fd);
  watch_fd = -1;
  watching_failed = false;
}

}  // namespace profile

// Every text passed in ends at its first zero byte, as with the platform's C interface. Like
// the platform's reader, a default loses its trailing spaces.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& default_value) {
  using namespace profile;
  std::string_view fallback(default_value.c_str());
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  const std::lock_guard lock(cache_mutex);
  CachedFile* file = nullptr;
  if (Refresh(path.c_str(), file) != Freshness::kReady) return std::string(fallback);
  const std::optional<SectionSpan> span = file->index.Find(file->content, section.c_str());
  if (!span) return std::string(fallback);
  const std::optional<EntryLine> entry = FindEntry(file->content, *span, key.c_str());
  if (!entry) return std::string(fallback);
  return std::string(entry->parsed.value);
}

bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
  using namespace profile;
  const std::optional<WriteRequest> request =
      PrepareWrite(section.c_str(), key.c_str(), value.c_str());
  const std::string given(path.c_str());
  if (given.empty() || !request) return false;
  const std::lock_guard lock(cache_mutex);
  const std::string target = WriteTarget(given);
  const PathParts parts = SplitPath(target);
  const Fd directory(OpenRetrying(parts.directory.c_str(), O_RDONLY | O_DIRECTORY));
  if (!directory.valid()) return false;
  // Writers of this store take turns per directory, so two processes never both edit the same
  // old file and lose one of the edits.
  const bool locked = Sys().flock(directory.get(), LOCK_EX) == 0;

  CachedFile* file = nullptr;
  const Freshness freshness = Refresh(target, file);
  // A file that exists but cannot be read is left alone rather than replaced by one line.
  if (freshness == Freshness::kUnreadable) return false;
  const std::string_view old_text = file != nullptr ? std::string_view(file->content) : "";
  const std::optional<SectionSpan> span =
      file != nullptr ? file->index.Find(old_text, request->section) : std::nullopt;
  const std::optional<Edit> edit = PlanWrite(old_text, span, *request);
  if (!edit) return true;

  const std::optional<Replacement> replaced = ReplaceFile(
      target, parts, locked, file != nullptr ? std::optional<mode_t>(file->mode) : std::nullopt,
      {old_text.substr(0, edit->offset), edit->insert, old_text.substr(edit->offset + edit->erase)},
      WatchableFileSystem(directory.get()));
  if (!replaced) return false;
  if (file != nullptr) {
    const SectionIndex::PendingEdit pending = file->index.Prepare(old_text, *edit);
    file->content.replace(edit->offset, edit->erase, edit->insert);
    file->index.Apply(file->content, pending);
    file->StopWatching();
  } else {
    file = &AddCached(target);
    file->content = edit->insert;
    file->index.Build(file->content);
  }
  file->stamp = StampOf(replaced->status);
  file->mode = replaced->status.st_mode;
  file->watch = replaced->watch;
  file->own_moves = replaced->watch >= 0 ? 1 : 0;
  file->changed = false;
  file->settled = Settled(file->stamp, Now());
  if (file->settled) file->StopWatching();
  // See ReplaceFile: without this the rename may not survive a power cut.
  return Sys().fsync(directory.get()) == 0;
}

}  // namespace platform
