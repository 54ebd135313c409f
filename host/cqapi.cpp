// cqapi: the robot host's API library as the plugin binds it. In the terminal, api_kick_group
// only reports which member it was asked to remove from which group; nobody is removed. A
// front-end that can really remove members (the OneBot adapter) registers a handler instead.
#include <string>

#include "calling_convention.h"
#include "cqapi_handler.h"
#include "encoding.h"
#include "platform.h"

namespace {

// Set before the plugin's first call and cleared after its last, on the thread that calls it.
robothost_kick_handler kick_handler = nullptr;
void* kick_context = nullptr;

}  // namespace

// Registers (or, with null, removes) the handler. Called by the host before the plugin runs
// and after it stops, never while a plugin call is under way.
extern "C" void robothost_set_kick_handler(robothost_kick_handler function, void* context) {
  kick_handler = function;
  kick_context = function != nullptr ? context : nullptr;
}

// Both texts are zero-terminated GBK; either may be null. The result means nothing and the
// plugin ignores it.
extern "C" int ROBOTHOST_STDCALL api_kick_group(const char* group, const char* member) {
  const char* group_bytes = group != nullptr ? group : "";
  const char* member_bytes = member != nullptr ? member : "";
  if (kick_handler != nullptr) {
    kick_handler(kick_context, group_bytes, member_bytes);
    return 0;
  }
  const std::string group_text = robothost::GbkToUtf8(group_bytes);
  const std::string member_text = robothost::GbkToUtf8(member_bytes);
  robothost::platform::WriteOutput("* [cqapi] api_kick_group：把成员 " + member_text + " 移出群 " +
                                   group_text + "\n");
  return 0;
}
