// The daily work command (打工): wage, count and title.
#pragma once

#include "common/command.h"
#include "common/reply.h"

namespace work {

// Works once a day for the sender: raises the stored work count by one, sets the wage total to
// 30 times it and stamps the day, then reports total, count and title. Returns the constant
// refusal when the record is stamped today (nothing is written), and the empty text when the
// title count (the work info file's, else the new count) has no title: 0 or less, above 30, or
// an empty sender.
common::Reply Work(common::CommandArgs& args);

}  // namespace work
