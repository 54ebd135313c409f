// Console window (not built yet: answers with the empty text).
#include "console/console_window.h"

namespace console {

void OpenConsoleWindow() {}

}  // namespace console
