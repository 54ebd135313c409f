// Nickname lookup (not built yet: answers with the empty text).
#include "commands/nickname.h"

namespace commands {

common::Reply FetchNickname(std::string&) { return {}; }
common::Reply NicknameLookup(common::CommandArgs&) { return {}; }

}  // namespace commands
