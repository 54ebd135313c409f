// The dynamic library facility: load a library by path, find a function, release it.
#pragma once

#include <string>

namespace platform {

using LibraryHandle = void*;
using FunctionAddress = void (*)();

// The file name of the host API library on this platform ("cqapi.dll" or "cqapi.so").
std::string HostLibraryFileName();

// Loads the library at `path` (a bare name uses the system's search). Null on failure.
LibraryHandle LoadLibraryAt(const std::string& path);

// The address of the exported function `name`, or null.
FunctionAddress FindFunction(LibraryHandle library, const char* name);

// Releases a library loaded by LoadLibraryAt; null does nothing.
void ReleaseLibrary(LibraryHandle library);

// Whether a file exists at `path`.
bool FileExists(const std::string& path);

}  // namespace platform
