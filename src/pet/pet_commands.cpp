// Pet commands (not built yet: answers with the empty text).
#include "pet/pet_commands.h"

namespace pet {

common::Reply FeedPet(common::CommandArgs&) { return {}; }
common::Reply PetInfo(common::CommandArgs&) { return {}; }

}  // namespace pet
