// The five texts a robot host passes to every chat command.
#pragma once

#include <string>

namespace common {

// The export wrapper's copies of a chat command's arguments. A handler may read them and may
// replace them; the wrapper releases whatever is left in them after the handler returns.
struct CommandArgs {
  std::string parameter;  // argument 1: what the user wrote in place of the command's hint
  std::string arg2;       // argument 2: read by no handler
  std::string group;      // argument 3: the group number
  std::string sender;     // argument 4: the sender's QQ number, key of every per-user record
  std::string arg5;       // argument 5: read by no handler
};

}  // namespace common
