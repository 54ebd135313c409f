// The fatal error report on Windows: an error box without owner, then the process ends at once.
#include <windows.h>

#include <string>

#include "platform/fatal.h"

namespace platform {

void ShowFatalErrorAndExit(std::string_view message) {
  const std::string text(message);
  MessageBoxA(nullptr, text.c_str(), "Quessa宠物系统2.0", MB_OK | MB_ICONERROR);
  // TerminateProcess, unlike ExitProcess, runs no DLL detach routines: the unload hook must not
  // release the slots after a fatal error.
  TerminateProcess(GetCurrentProcess(), 70);
  for (;;) {
  }
}

}  // namespace platform
