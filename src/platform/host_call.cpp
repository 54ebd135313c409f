// The call of api_kick_group with the host's calling convention. On 32-bit x86 the stack
// pointer is compared before and after the call: a host function that removes anything but
// its 8 argument bytes would corrupt our frame, and the module must stop instead.
#include "platform/host_call.h"

#include <cstdint>

namespace platform {

#if defined(__i386__)

#define CQP_STRINGIFY2(x) #x
#define CQP_STRINGIFY(x) CQP_STRINGIFY2(x)
#define CQP_ASM_NAME(name) CQP_STRINGIFY(__USER_LABEL_PREFIX__) #name

// int CqpCallStdcall2(function, first, second): pushes the two arguments last to first, calls,
// and returns how far the stack pointer is from where it was before the pushes (0 when the
// callee removed exactly its 8 bytes). The frame is restored from the saved stack pointer
// whatever the callee did, so an unbalanced callee is reported instead of crashing us. Written
// as a whole function so the arguments are read relative to EBP, never to a moving ESP.
extern "C" int CqpCallStdcall2(KickGroupFunction function, const char* first,
                               const char* second) __asm__(CQP_ASM_NAME(CqpCallStdcall2));
__asm__(
    ".text\n"
    ".globl " CQP_ASM_NAME(CqpCallStdcall2) "\n"
    CQP_ASM_NAME(CqpCallStdcall2) ":\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  pushl %ebx\n"
    "  movl %esp, %esi\n"
    "  pushl 16(%ebp)\n"
    "  pushl 12(%ebp)\n"
    "  call *8(%ebp)\n"
    "  movl %esp, %eax\n"
    "  subl %esi, %eax\n"
    "  movl %esi, %esp\n"
    "  popl %ebx\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebp\n"
    "  ret\n");

bool CallKickGroup(KickGroupFunction function, const char* group, const char* member) {
  return CqpCallStdcall2(function, group, member) == 0;
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
