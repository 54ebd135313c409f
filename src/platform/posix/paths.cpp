// Paths on POSIX: /proc/self/exe, dladdr, '/' separators and UTF-8 file names.
#include <dlfcn.h>
#include <iconv.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/paths.h"

namespace platform {
namespace {

std::string DirectoryOf(const std::string& path) {
  const std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Converts a GBK file name to UTF-8; bytes that are not GBK are kept as they are.
std::string GbkToUtf8(std::string_view gbk) {
  iconv_t converter = iconv_open("UTF-8", "GBK");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(gbk);
  std::string in(gbk);
  std::string out(in.size() * 3 + 1, '\0');
  char* in_ptr = in.data();
  std::size_t in_left = in.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  while (in_left > 0) {
    if (iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1)) {
      break;
    }
    // Not GBK: copy the byte through and go on.
    *out_ptr++ = *in_ptr++;
    --in_left;
    --out_left;
  }
  iconv_close(converter);
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  return DirectoryOf(std::string(path, static_cast<std::size_t>(length)));
}

std::string ModuleDirectory() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved) == nullptr) return DirectoryOf(info.dli_fname);
  return DirectoryOf(resolved);
}

std::string JoinPath(std::string_view directory, std::string_view file_name) {
  std::string path(directory);
  path += '/';
  path += file_name;
  return path;
}

std::string ConfigFilePath(std::string_view run_directory, std::string_view gbk_file_name) {
  std::string path(run_directory);
  path += "/config/";
  path += GbkToUtf8(gbk_file_name);
  return path;
}

}  // namespace platform
