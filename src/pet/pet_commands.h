// The pet game's chat commands: the daily feed (喂养宠物) and the pet query (信息查询).
#pragma once

#include <string>

#include "common/command.h"
#include "common/reply.h"

namespace pet {

// Feeds the sender's pet once a day and reports count, experience, total and level.
common::Reply FeedPet(common::CommandArgs& args);

// Reports the sender's pet: level name, total experience and feed count.
common::Reply PetInfo(common::CommandArgs& args);

}  // namespace pet
