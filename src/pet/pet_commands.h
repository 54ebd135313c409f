// The pet game's chat commands: the daily feed (喂养宠物) and the pet query (信息查询).
#pragma once

#include "common/command.h"
#include "common/reply.h"

namespace pet {

// Feeds the sender's pet once a day: raises the stored feed count by one, sets the total to ten
// times it and stamps the day, then reports count, gain, total and the feed column's level.
// Returns the constant refusal when the record is stamped today (nothing is written), the
// constant top reply when the total reaches 700, and the empty text when the total has no
// level (above 700, below 0, or an empty sender, whose record cannot be read back).
common::Reply FeedPet(common::CommandArgs& args);

// Reports the sender's pet, reading only: the query column's level name for the stored total,
// the total as stored and the feed count. Returns the empty text when the stored total is not a
// key of the LevelTable, which includes a user who never fed.
common::Reply PetInfo(common::CommandArgs& args);

}  // namespace pet
