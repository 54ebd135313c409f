// Work command (not built yet: answers with the empty text).
#include "work/work_command.h"

namespace work {

common::Reply Work(common::CommandArgs&) { return {}; }

}  // namespace work
