// The command menu (功能表): a fixed overview of the chat commands.
#pragma once

#include <string>

#include "common/command.h"
#include "common/reply.h"

namespace commands {

// The constant menu text, whatever the arguments.
common::Reply Menu(common::CommandArgs& args);

}  // namespace commands
