// Checks that the clang build holds its Chinese texts as GBK bytes, as GCC's -fexec-charset=GBK
// build does: in this program's own literals and in the core library built from the mirror.
#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/descriptor.h"

namespace {

int failures = 0;

void Expect(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "GBK check failed: %s\n", what);
    ++failures;
  }
}

}  // namespace

int main() {
  Expect(std::strcmp("喂养", "\xCE\xB9\xD1\xF8") == 0, "a literal of this program");
  // A character whose second GBK byte is a backslash still yields the byte 0x5C.
  Expect(std::strcmp("乗x", "\x81\x5C" "x") == 0, "a second byte 0x5C in a literal");
  Expect(sizeof("乗") == 3, "a second byte 0x5C counts once");
  // The descriptor's first line, 宠物喂养, from the core library.
  Expect(plugin::DescriptorText().rfind("\xB3\xE8\xCE\xEF\xCE\xB9\xD1\xF8\r\n", 0) == 0,
         "a literal of the core library");
  if (failures == 0) std::puts("GBK literals: ok");
  return failures == 0 ? 0 : 1;
}
