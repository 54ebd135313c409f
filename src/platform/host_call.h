// Calls into the robot host's API with the host's calling convention.
#pragma once

namespace platform {

// api_kick_group(group, member): stdcall, two GBK texts, result ignored.
using KickGroupFunction = void*;

// Calls `function` with `group` then `member`. Returns false when the function did not remove
// exactly its two arguments from the stack (checked where the convention makes that possible,
// i.e. 32-bit x86); true otherwise.
[[nodiscard]] bool CallKickGroup(KickGroupFunction function, const char* group,
                                 const char* member);

}  // namespace platform
