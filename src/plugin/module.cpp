// Load and unload of the module.
#include "plugin/module.h"

#include "common/fatal_error.h"
#include "common/run_directory.h"
#include "console/console_window.h"
#include "platform/paths.h"
#include "plugin/export_layer.h"
#include "plugin/host_api.h"

namespace plugin {

void OnLoad() { common::SetRunDirectory(platform::ExecutableDirectory()); }

void OnUnload() {
  if (common::FatalErrorReported()) return;
  // The console window's procedure lives in this module: the window must not outlive it.
  console::CloseConsoleWindow();
  ReleaseAllSlots();
  ReleaseHostApi();
}

}  // namespace plugin
