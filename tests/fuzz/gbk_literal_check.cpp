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
  // A raw literal has no escapes: its 0x5C is written once.
  Expect(std::strcmp(R"(乗)", "\x81\x5C") == 0, "a second byte 0x5C in a raw literal");
  // u8 literals keep UTF-8, as they do under -fexec-charset=GBK.
  Expect(std::strcmp(reinterpret_cast<const char*>(u8"喂"), "\xE5\x96\x82") == 0, "a u8 literal");
  // Comments stay UTF-8: in GBK the comment's last byte would be 0x5C and swallow the next line.
  int next_line_kept = 0;  // 乗
  next_line_kept = 1;
  Expect(next_line_kept == 1, "a comment ending in a character with second byte 0x5C");
  // The descriptor's first line, 宠物喂养, from the core library.
  Expect(plugin::DescriptorText().rfind("\xB3\xE8\xCE\xEF\xCE\xB9\xD1\xF8\r\n", 0) == 0,
         "a literal of the core library");
  if (failures == 0) std::puts("GBK literals: ok");
  return failures == 0 ? 0 : 1;
}
