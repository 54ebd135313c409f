// The "robothost onebot" subcommand on builds without the OneBot adapter (it needs Boost and
// OpenSSL, which this platform's build does not have).
#include "onebot_main.h"

#include "platform.h"

namespace robothost::onebot {

int RunOneBot(const std::vector<std::string>&) {
  platform::WriteError("robothost：这个版本没有编入 OneBot 适配器（请使用 Linux 版本）\n");
  return 2;
}

}  // namespace robothost::onebot
