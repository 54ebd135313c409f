// Member kick (not built yet: answers with the empty text).
#include "commands/kick.h"

namespace commands {

common::Reply KickMember(common::CommandArgs&) { return {}; }

}  // namespace commands
