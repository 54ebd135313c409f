// The command menu (not built yet: answers with the empty text).
#include "commands/menu.h"

namespace commands {

common::Reply Menu(common::CommandArgs&) { return {}; }

}  // namespace commands
