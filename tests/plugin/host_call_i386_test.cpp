// The stack check around api_kick_group, on real 32-bit x86 code: built with -m32 on Linux,
// since the product DLL's architecture cannot run under wine64. Plain main: no 32-bit
// GoogleTest is at hand.
#include <cstdio>
#include <cstring>

#include "platform/host_call.h"

namespace {

const char* seen_group = nullptr;
const char* seen_member = nullptr;

extern "C" __attribute__((stdcall)) int Balanced(const char* group, const char* member) {
  seen_group = group;
  seen_member = member;
  return 1;
}
extern "C" int RemovesNothing(const char*, const char*) { return 1; }  // cdecl
extern "C" __attribute__((stdcall)) int RemovesTwelve(const char*, const char*, const char*) {
  return 1;
}

int failures = 0;
int passes = 0;

void Expect(bool condition, const char* what) {
  std::printf("%s: %s\n", condition ? "ok" : "FAILED", what);
  (condition ? passes : failures)++;
}

}  // namespace

int main() {
  using platform::CallKickGroup;
  using platform::KickGroupFunction;
  Expect(CallKickGroup(reinterpret_cast<KickGroupFunction>(&Balanced), "10001", "20002"),
         "a stdcall function of two arguments is balanced");
  Expect(seen_group != nullptr && std::strcmp(seen_group, "10001") == 0 &&
             seen_member != nullptr && std::strcmp(seen_member, "20002") == 0,
         "group first, member second");
  Expect(!CallKickGroup(reinterpret_cast<KickGroupFunction>(&RemovesNothing), "1", "2"),
         "a cdecl function that removes nothing is caught");
  Expect(!CallKickGroup(reinterpret_cast<KickGroupFunction>(&RemovesTwelve), "1", "2"),
         "a function that removes 12 bytes is caught, and we survive it");
  std::printf("%d passed, %d failed\n", passes, failures);
  return failures == 0 ? 0 : 1;
}
