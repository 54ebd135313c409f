// The GB18030 codec on known characters, malformed UTF-8 and stray bytes; runs on Linux and
// under Wine, where it must give the same bytes.
#include "onebot/gb18030.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace robothost::onebot;

// Characters with one code each way: text (UTF-8, this file's execution character set) and
// its GB18030 bytes.
struct RoundTrip {
  const char* utf8;
  std::string gb18030;
};

TEST(Gb18030, KnownCharactersBothWays) {
  const RoundTrip cases[] = {
      {"", ""},
      {"a~\x7F", "a~\x7F"},
      {"中", "\xD6\xD0"},
      {"€", "\xA2\xE3"},
      {"\u3000", "\xA1\xA1"},                // ideographic space, the first GB2312 code
      {"\uE5E5", "\xA3\xA0"},                // the private-use code GBK gave 0xA3A0
      {"\uFE10", "\xA6\xD9"},                // a vertical form glibc moved onto a two-byte code
      {"\u0080", "\x81\x30\x81\x30"},        // the first four-byte code
      {"\u00A5", "\x81\x30\x84\x36"},        // the start of the second four-byte run
      {"\uE7C7", "\x81\x35\xF4\x37"},        // a four-byte code out of code point order
      {"\uFFFF", "\x84\x31\xA4\x39"},        // the last BMP four-byte code
      {"\U00010000", "\x90\x30\x81\x30"},    // the first supplementary code
      {"😀", "\x94\x39\xFC\x36"},
      {"\U0010FFFF", "\xE3\x32\x9A\x35"},
      {"\U00020087", "\xFE\x51"},            // a supplementary character with a two-byte code
      {"\uE78D", "\x84\x31\x82\x36"},        // private use glibc has no code for: the
      {"\uE78E", "\x84\x31\x82\x38"},        // GB18030-2022 four-byte codes
      {"\uE864", "\x82\x35\x91\x34"},
      {"a中b😀c", "a\xD6\xD0" "b\x94\x39\xFC\x36" "c"},
  };
  for (const RoundTrip& c : cases) {
    EXPECT_EQ(gb18030::FromUtf8(c.utf8), c.gb18030) << c.utf8;
    EXPECT_EQ(gb18030::ToUtf8(c.gb18030), c.utf8) << c.utf8;
  }
}

TEST(Gb18030, CodesThatReadBackAsAnotherCharacter) {
  // Six private-use stand-ins take the two-byte code of the character they stand for.
  EXPECT_EQ(gb18030::FromUtf8("\uE816"), "\xFE\x51");
  EXPECT_EQ(gb18030::FromUtf8("\uE855"), "\xFE\x91");
  // That character's own four-byte code reads as it too.
  EXPECT_EQ(gb18030::ToUtf8("\x95\x32\x90\x31"), "\U00020087");
}

TEST(Gb18030, RefusesMalformedUtf8) {
  const char* const cases[] = {
      "\x80",                  // stray continuation byte
      "a\xBF" "b",
      "\xC3",                  // cut off
      "a\xC3",
      "\xE4\xB8",
      "\xF0\x9F\x98",
      "\xC3" "a",              // lead byte followed by no continuation
      "\xE4" "a\xAD",
      "\xC0\x80",              // overlong forms
      "\xC1\xBF",
      "\xE0\x80\x80",
      "\xE0\x9F\xBF",
      "\xF0\x80\x80\x80",
      "\xF0\x8F\xBF\xBF",
      "\xED\xA0\x80",          // surrogates
      "\xED\xBF\xBF",
      "\xF4\x90\x80\x80",      // above U+10FFFF
      "\xF5\x80\x80\x80",
      "\xF8\x88\x80\x80\x80",  // five- and six-byte forms
      "\xFC\x84\x80\x80\x80\x80",
      "\xFE",
      "\xFF",
  };
  for (const char* text : cases) {
    EXPECT_FALSE(gb18030::FromUtf8(text)) << testing::PrintToString(text);
  }
}

TEST(Gb18030, EachByteThatStartsNoCharacterBecomesOneReplacement) {
  struct Case {
    std::string gb18030;
    const char* utf8;
  };
  const Case cases[] = {
      {"\x80", "\uFFFD"},
      {"\xFF", "\uFFFD"},
      {"a\x81", "a\uFFFD"},                          // a lead byte at the end
      {"\x81\x7F", "\uFFFD\x7F"},                    // a trail byte no code uses
      {"\x81\xFF" "a", "\uFFFD\uFFFD" "a"},
      {"\x81\x30", "\uFFFD" "0"},                    // four-byte codes cut off
      {"\x81\x30\x81", "\uFFFD" "0\uFFFD"},
      {"\x81\x30\x20\x30", "\uFFFD" "0 0"},          // a third byte that is no lead byte
      {"\x81\x30\x81\x20", "\uFFFD" "0\uFFFD "},    // a fourth byte that is no digit
      {"\x84\x31\xA5\x30", "\uFFFD" "1\uFFFD" "0"},  // past U+FFFF, before U+10000
      {"\x8F\x39\xFE\x39", "\uFFFD" "9\uFFFD" "9"},
      {"\xE3\x32\x9A\x36", "\uFFFD" "2\uFFFD" "6"},  // past U+10FFFF
      {"\xFE\x39\xFE\x39", "\uFFFD" "9\uFFFD" "9"},
      {"\xD6\xD0\x80\xD6\xD0", "中\uFFFD中"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gb18030::ToUtf8(c.gb18030), c.utf8) << testing::PrintToString(c.gb18030);
  }
}

}  // namespace
