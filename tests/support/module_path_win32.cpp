// Test support on Windows (under wine64): the plugin library's path, and closing error boxes.
#include <windows.h>

#include <string>
#include <thread>

#include "module_path.h"

namespace test_support {

std::string ModulePath() {
  // CMake knows the Unix path of the build tree; Wine shows the Unix root as drive Z:.
  std::string path = "Z:" CQP_MODULE_FILE;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

void DismissErrorBoxesInBackground() {
  std::thread([] {
    for (;;) {
      if (HWND box = FindWindowA("#32770", nullptr)) PostMessageA(box, WM_COMMAND, IDOK, 0);
      Sleep(50);
    }
  }).detach();
}

}  // namespace test_support
