// Load and unload of the module, called by the platform's library entry point.
#pragma once

namespace plugin {

// Fixes the run directory. Nothing else starts: no thread, no timer, no hook.
void OnLoad();

// Releases every ResultSlot in slot order, then the host library if bound. Does nothing after
// a FatalErrorReport.
void OnUnload();

}  // namespace plugin
