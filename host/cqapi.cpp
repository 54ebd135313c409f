// cqapi: the robot host's API library as the plugin binds it. api_kick_group only reports on
// the terminal which member it was asked to remove from which group; nobody is removed.
#include <string>

#include "calling_convention.h"
#include "encoding.h"
#include "platform.h"

// Both texts are zero-terminated GBK; either may be null. The result means nothing and the
// plugin ignores it.
extern "C" int ROBOTHOST_STDCALL api_kick_group(const char* group, const char* member) {
  const std::string group_text = robothost::GbkToUtf8(group != nullptr ? group : "");
  const std::string member_text = robothost::GbkToUtf8(member != nullptr ? member : "");
  robothost::platform::WriteOutput("* [cqapi] api_kick_group：把成员 " + member_text + " 移出群 " +
                                   group_text + "\n");
  return 0;
}
