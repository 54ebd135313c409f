// The DLL entry point: dispatches process attach and detach to the module's load and unload.
#include <windows.h>

#include "plugin/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      plugin::OnLoad();
      break;
    case DLL_PROCESS_DETACH:
      plugin::OnUnload();
      break;
    default:
      break;
  }
  return TRUE;
}
