// Nickname lookup over HTTP (获取昵称, 昵称获取).
#pragma once

#include <string>

#include "common/command.h"
#include "common/reply.h"

namespace commands {

// The fetch behind 获取昵称: on return `qq` holds the extracted text; yields the QQ number as
// passed in, or the extracted text when it is 26 bytes or longer.
common::Reply FetchNickname(std::string& qq);

// 昵称获取: the nickname and the QQ number of the parameter.
common::Reply NicknameLookup(common::CommandArgs& args);

}  // namespace commands
