// The operator's console window (Morvel系统控制台V2.0), opened by every call of info.
#pragma once

namespace console {

// Creates and shows the console window, or brings it forward when it exists: a minimised
// window is restored, a window hidden by the hotkey is shown again, an open one is activated;
// its boxes keep what the operator typed. Never waits for the operator. On a platform without
// windows it does nothing.
void OpenConsoleWindow();

// Destroys the console window if it is open, and releases what the window facility holds, so
// nothing of the window refers to the module after it is unloaded.
void CloseConsoleWindow();

}  // namespace console
