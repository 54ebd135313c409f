// Dynamic libraries on POSIX: dlopen, dlsym, dlclose.
#include <dlfcn.h>
#include <sys/stat.h>

#include "platform/library.h"

namespace platform {

std::string HostLibraryFileName() { return "cqapi.so"; }

LibraryHandle LoadLibraryAt(const std::string& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

FunctionAddress FindFunction(LibraryHandle library, const char* name) {
  return reinterpret_cast<FunctionAddress>(dlsym(library, name));
}

void ReleaseLibrary(LibraryHandle library) {
  if (library != nullptr) dlclose(library);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace platform
