// Member kick (T人): asks the robot host to remove a member from the group.
#pragma once

#include <string>

#include "common/command.h"
#include "common/reply.h"

namespace commands {

// Calls api_kick_group(group, member) and confirms.
common::Reply KickMember(common::CommandArgs& args);

}  // namespace commands
