// The daily work command (打工): wage, count and title.
#pragma once

#include <string>

#include "common/command.h"
#include "common/reply.h"

namespace work {

// Works once a day for the sender and reports wage total, count and title.
common::Reply Work(common::CommandArgs& args);

}  // namespace work
