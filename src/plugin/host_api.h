// The robot host's API library (cqapi): bound by name at first use, released at unload.
#pragma once

#include <string>

namespace plugin {

// Asks the host to remove `member` from `group` through api_kick_group. The first call binds
// the function from the host library found in the run directory, then the module's own
// directory, then the system's search; a missing library or function, or a function that does
// not remove exactly its two arguments, ends in FatalErrorReport.
void KickGroup(const std::string& group, const std::string& member);

// Releases the host library if it was bound. Part of the module's unload.
void ReleaseHostApi();

}  // namespace plugin
