// Simplified/traditional conversion commands (简体到繁体, 繁体到简体).
#pragma once

#include <string>

#include "common/command.h"
#include "common/reply.h"

namespace commands {

// Echoes the parameter and its traditional form.
common::Reply ToTraditional(common::CommandArgs& args);

// Echoes the parameter and its simplified form.
common::Reply ToSimplified(common::CommandArgs& args);

}  // namespace commands
