// The fatal error report on POSIX: the message on standard error, then _exit.
#include <unistd.h>

#include <cstdio>

#include "platform/fatal.h"

namespace platform {

void ShowFatalErrorAndExit(std::string_view message) {
  std::fprintf(stderr, "Quessa宠物系统2.0: %.*s\n", static_cast<int>(message.size()),
               message.data());
  std::fflush(stderr);
  _exit(70);
}

}  // namespace platform
