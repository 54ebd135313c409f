// The fatal error facility: tell the operator what failed, then end the host process.
#pragma once

#include <string_view>

namespace platform {

// Shows `message` (GBK) in an error box without owner window (Windows) or writes it to
// standard error (elsewhere), then ends the process at once without running unload hooks.
[[noreturn]] void ShowFatalErrorAndExit(std::string_view message);

}  // namespace platform
