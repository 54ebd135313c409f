// The "robothost onebot" subcommand: the host connected to a OneBot v11 implementation.
#pragma once

#include <string>
#include <vector>

namespace robothost::onebot {

// Runs the adapter with the options after "onebot" (UTF-8). Returns the process exit code:
// 0 after a stop by signal or --help, 1 when the plugin or a listening address fails, 2 for
// unusable options or settings.
int RunOneBot(const std::vector<std::string>& arguments);

}  // namespace robothost::onebot
