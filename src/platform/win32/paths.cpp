// Paths on Windows: the main module's file name, this DLL's file name, backslashes, GBK names.
#include <windows.h>

#include <string>

#include "platform/paths.h"

namespace platform {
namespace {

std::string DirectoryOfModule(HMODULE module) {
  char path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  std::string full(path, length);
  const std::string::size_type backslash = full.rfind('\\');
  return backslash == std::string::npos ? std::string() : full.substr(0, backslash);
}

}  // namespace

std::string ExecutableDirectory() { return DirectoryOfModule(nullptr); }

std::string ModuleDirectory() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&ModuleDirectory), &self)) {
    return {};
  }
  return DirectoryOfModule(self);
}

std::string JoinPath(std::string_view directory, std::string_view file_name) {
  std::string path(directory);
  path += '\\';
  path += file_name;
  return path;
}

std::string ConfigFilePath(std::string_view run_directory, std::string_view gbk_file_name) {
  std::string path(run_directory);
  path += "\\config\\";
  path += gbk_file_name;
  return path;
}

}  // namespace platform
