// The operator's console window (Morvel系统控制台V2.0), opened by every call of info.
#pragma once

namespace console {

// Creates and shows the console window, or brings it forward when it exists. Never waits for
// the operator; a platform without windows does nothing.
void OpenConsoleWindow();

}  // namespace console
