// Script conversion commands (not built yet: answers with the empty text).
#include "commands/script_conversion.h"

namespace commands {

common::Reply ToTraditional(common::CommandArgs&) { return {}; }
common::Reply ToSimplified(common::CommandArgs&) { return {}; }

}  // namespace commands
