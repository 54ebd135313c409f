// Dynamic libraries on Windows: LoadLibraryA, GetProcAddress, FreeLibrary.
#include <windows.h>

#include "platform/library.h"

namespace platform {

std::string HostLibraryFileName() { return "cqapi.dll"; }

LibraryHandle LoadLibraryAt(const std::string& path) {
  return reinterpret_cast<LibraryHandle>(LoadLibraryA(path.c_str()));
}

FunctionAddress FindFunction(LibraryHandle library, const char* name) {
  return reinterpret_cast<FunctionAddress>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void ReleaseLibrary(LibraryHandle library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace platform
