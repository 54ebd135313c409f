// The robot host on POSIX: dlopen for plugins, iconv for GBK, UTF-8 file names and terminal.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform.h"

namespace robothost::platform {
namespace {

// Converts all of `in` with iconv, or fails on the first byte sequence it cannot convert.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string input(in);
  out.assign(input.size() * 2 + 16, '\0');
  char* in_ptr = input.data();
  std::size_t in_left = input.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  bool ok = true;
  while (in_left > 0) {
    if (iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) {
      continue;
    }
    if (errno != E2BIG) {
      ok = false;  // EILSEQ (not convertible) or EINVAL (cut short)
      break;
    }
    const std::size_t used = out.size() - out_left;
    out.resize(out.size() * 2);
    out_ptr = out.data() + used;
    out_left = out.size() - used;
  }
  // A stateless pair of encodings leaves nothing to flush; the call ends the conversion.
  if (ok) iconv(converter, nullptr, nullptr, &out_ptr, &out_left);
  iconv_close(converter);
  out.resize(out.size() - out_left);
  return ok;
}

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  const std::string full(path, static_cast<std::size_t>(length));
  const std::string::size_type slash = full.rfind('/');
  return slash == std::string::npos ? std::string() : full.substr(0, slash);
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

std::string_view PluginLibrarySuffix() { return ".so"; }

bool IsFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeDirectory(const std::string& path) {
  return mkdir(path.c_str(), 0777) == 0 || IsDirectory(path);
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  content.clear();
  char buffer[4096];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, count);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

bool CreateNewFile(const std::string& path, std::string_view content) {
  // O_EXCL: an existing file, even one made a moment ago by someone else, is never replaced.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) return false;
  WriteAll(fd, content);
  return close(fd) == 0;
}

bool AppendToFile(const std::string& path, std::string_view content) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
  if (fd < 0) return false;
  WriteAll(fd, content);
  return close(fd) == 0;
}

LibraryHandle LoadPluginLibrary(const std::string& path, std::string& error) {
  // A bare file name would make dlopen search the system's directories instead of the
  // current one; a user who types one means the file here.
  const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
  LibraryHandle library = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "dlopen failed";
  }
  return library;
}

FunctionAddress FindExport(LibraryHandle library, const char* name) {
  return reinterpret_cast<FunctionAddress>(dlsym(library, name));
}

void UnloadPluginLibrary(LibraryHandle library) {
  if (library != nullptr) dlclose(library);
}

bool ConvertUtf8ToGbk(std::string_view utf8, std::string& out) {
  return Convert("GBK", "UTF-8", utf8, out);
}

bool ConvertGbkToUtf8(std::string_view gbk, std::string& out) {
  return Convert("UTF-8", "GBK", gbk, out);
}

bool InputIsInteractive() { return isatty(STDIN_FILENO) == 1; }

bool ReadInputLine(std::string& line) {
  char* buffer = nullptr;
  std::size_t capacity = 0;
  const ssize_t length = getline(&buffer, &capacity, stdin);
  if (length < 0) {
    std::free(buffer);
    return false;
  }
  line.assign(buffer, static_cast<std::size_t>(length));
  std::free(buffer);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void ProcessPendingMessages() {}

void WriteOutput(std::string_view utf8) { WriteAll(STDOUT_FILENO, utf8); }

void WriteError(std::string_view utf8) { WriteAll(STDERR_FILENO, utf8); }

std::tm LocalCalendarTime(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  return local;
}

std::vector<int> StopSignals() { return {SIGINT, SIGTERM}; }

std::string SignalName(int signal_number) {
  if (signal_number == SIGINT) return "SIGINT";
  if (signal_number == SIGTERM) return "SIGTERM";
  return "signal " + std::to_string(signal_number);
}

}  // namespace robothost::platform
