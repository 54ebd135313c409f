// The call of api_kick_group with the host's calling convention. On 32-bit x86 the stack
// pointer is compared before and after the call: a host function that removes anything but
// its 8 argument bytes would corrupt our frame, and the module must stop instead.
#include "platform/host_call.h"

#include <cstdint>

namespace platform {

#if defined(__i386__)

bool CallKickGroup(KickGroupFunction function, const char* group, const char* member) {
  std::uintptr_t before = 0;
  std::uintptr_t after = 0;
  // Push the arguments last to first, call, and read ESP around it. The caller's frame is
  // restored from the saved value whatever the callee did, so we can report instead of crash.
  __asm__ volatile(
      "movl %%esp, %%esi\n\t"
      "pushl %[member]\n\t"
      "pushl %[group]\n\t"
      "call *%[function]\n\t"
      "movl %%esp, %[after]\n\t"
      "movl %%esi, %%esp\n\t"
      "movl %%esi, %[before]\n\t"
      : [before] "=m"(before), [after] "=m"(after)
      : [function] "r"(function), [group] "r"(group), [member] "r"(member)
      : "eax", "ecx", "edx", "esi", "memory", "cc");
  return after == before;
}

#else

bool CallKickGroup(KickGroupFunction function, const char* group, const char* member) {
  // One calling convention on x86_64 and elsewhere: the caller owns the stack.
  using Function = void* (*)(const char*, const char*);
  reinterpret_cast<Function>(function)(group, member);
  return true;
}

#endif

}  // namespace platform
