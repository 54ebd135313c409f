// The system calls of the POSIX profile store, gathered in one table that tests can override to
// inject failures, count calls or fake timestamps (the way SQLite routes its system calls).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

namespace platform::profile {

struct SystemCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  int (*close)(int fd);
  ssize_t (*read)(int fd, void* buffer, size_t size);
  ssize_t (*write)(int fd, const void* buffer, size_t size);
  int (*stat)(const char* path, struct stat* status);
  int (*fstat)(int fd, struct stat* status);
  int (*fchmod)(int fd, mode_t mode);
  int (*fsync)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
  int (*flock)(int fd, int operation);
  // The wall clock the file system stamps files with (CLOCK_REALTIME).
  int (*clock_now)(struct timespec* now);
  // The type of the file system holding `fd` (statfs's f_type), or -1.
  long (*file_system_type)(int fd);
  // Change notification (Linux inotify): inotify_init1, inotify_add_watch, inotify_rm_watch;
  // each fails with ENOSYS where there is none.
  int (*watch_init)(int flags);
  int (*watch_add)(int watch_fd, const char* path, unsigned mask);
  int (*watch_remove)(int watch_fd, int watch);
};

// The real system calls.
const SystemCalls& RealSystemCalls();

// The table the store calls through; tests replace entries and put them back afterwards.
SystemCalls& CurrentSystemCalls();

// Forgets every file the store holds in memory, so the next access reads from disk.
void ForgetCachedProfilesForTesting();

}  // namespace platform::profile
