// A stand-in for the robot host's API library (cqapi) in tests: api_kick_group appends its two
// arguments as one line "group<TAB>member" to the file named by CQP_CQAPI_RECORD, or else to
// kick-record.txt beside the library file itself, so a test can tell which copy was loaded.
#include <cstdio>
#include <cstdlib>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#define CQAPI_EXPORT __declspec(dllexport)
#else
#include <dlfcn.h>
#define CQAPI_EXPORT __attribute__((visibility("default")))
#endif

// The host's convention on 32-bit x86 is stdcall; the name stays undecorated (--kill-at).
#if defined(__i386__)
#define CQAPI_CALL __attribute__((stdcall))
#else
#define CQAPI_CALL
#endif

namespace {

// The directory of this library file, with its trailing separator.
std::string OwnDirectory() {
  std::string path;
#if defined(_WIN32)
  HMODULE self = nullptr;
  char name[MAX_PATH * 4];
  if (GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&OwnDirectory), &self)) {
    const DWORD length = GetModuleFileNameA(self, name, sizeof name);
    if (length > 0 && length < sizeof name) path.assign(name, length);
  }
  const std::string::size_type separator = path.find_last_of("\\/");
#else
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnDirectory), &info) != 0 && info.dli_fname != nullptr) {
    path = info.dli_fname;
  }
  const std::string::size_type separator = path.rfind('/');
#endif
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// The record file named by CQP_CQAPI_RECORD, or empty. Read from the process environment
// itself: on Windows the C runtime's copy misses later changes by SetEnvironmentVariable.
std::string NamedRecord() {
#if defined(_WIN32)
  char value[MAX_PATH * 4];
  const DWORD length = GetEnvironmentVariableA("CQP_CQAPI_RECORD", value, sizeof value);
  return (length == 0 || length >= sizeof value) ? std::string() : std::string(value, length);
#else
  const char* value = std::getenv("CQP_CQAPI_RECORD");
  return value == nullptr ? std::string() : std::string(value);
#endif
}

}  // namespace

extern "C" CQAPI_EXPORT int CQAPI_CALL api_kick_group(const char* group, const char* member) {
  std::string record = NamedRecord();
  if (record.empty()) record = OwnDirectory() + "kick-record.txt";
  if (std::FILE* file = std::fopen(record.c_str(), "ab")) {
    std::fprintf(file, "%s\t%s\n", group != nullptr ? group : "(null)",
                 member != nullptr ? member : "(null)");
    std::fclose(file);
  }
  return 0;
}
