// The GBK text primitives and utilities, with trail bytes where byte-wise code goes wrong.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"

namespace {

using common::FindText;
using common::MidText;
using common::ReplaceText;
using common::StripSpacesAndBreaks;
using common::TextBetween;
using common::TextLength;

constexpr auto kNone = std::nullopt;

// Two-byte characters whose second byte is an ASCII character: '@', '\\', ']', 'a', 'r'.
constexpr std::string_view kAtTrail = "藹";
constexpr std::string_view kBackslashTrail = "禱";
constexpr std::string_view kBracketTrail = "竇";
constexpr std::string_view kLetterATrail = "碼";
constexpr std::string_view kLetterRTrail = "皉";

TEST(TextTest, TrailBytesOfTheFixturesAreAscii) {
  EXPECT_EQ(kAtTrail.substr(1), "@");
  EXPECT_EQ(kBackslashTrail.substr(1), "\\");
  EXPECT_EQ(kBracketTrail.substr(1), "]");
  EXPECT_EQ(kLetterATrail.substr(1), "a");
  EXPECT_EQ(kLetterRTrail.substr(1), "r");
}

TEST(TextLengthTest, CountsBytes) {
  EXPECT_EQ(TextLength(""), 0u);
  EXPECT_EQ(TextLength("abc"), 3u);
  EXPECT_EQ(TextLength("宠物a"), 5u);
}

std::string Cat(std::string_view a, std::string_view b, std::string_view c = {}) {
  return std::string(a) + std::string(b) + std::string(c);
}

TEST(FindTextTest, Table) {
  const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
  const struct {
    std::string text;
    std::string_view sought;
    std::optional<std::int64_t> start;
    bool ignore_case;
    std::int64_t position;
  } cases[] = {
      // The empty sought text is found wherever something is left to search.
      {"abc", "", kNone, false, 1},
      {"abc", "", 10, false, -1},
      {"abc", "", 3, false, 1},
      {"abc", "", 4, false, -1},
      {"", "", kNone, false, -1},
      {"", "a", kNone, false, -1},
      // Positions count from the first byte whatever the start.
      {"abcabc", "c", kNone, false, 3},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "c", 0, false, 3},
      {"abcabc", "c", -5, false, 3},
      {"abcabc", "c", 7, false, -1},
      {"abcabc", "c", huge, false, -1},
      {"abc", "bc", kNone, false, 2},
      {"abc", "abcd", kNone, false, -1},
      {"abcabc", "ca", kNone, false, 3},
      // Case.
      {"xAbC", "abc", kNone, true, 2},
      {"xAbC", "abc", kNone, false, -1},
      {"x[Y]", "[y", kNone, true, 2},
      // Chinese text.
      {"喂养宠物", "宠物", kNone, false, 5},
      {"喂养宠物", "物", 5, false, 7},
      // A match never starts on the second byte of a character.
      {Cat(kAtTrail, "@"), "@", kNone, false, 3},
      {Cat(kBackslashTrail, "\\"), "\\", kNone, false, 3},
      {Cat(kLetterATrail, "A"), "a", kNone, true, 3},
      {std::string(kAtTrail), "@", kNone, false, -1},
      // A start on a second byte walks from that byte.
      {Cat(kAtTrail, "@"), "@", 2, false, 2},
      // A lead byte at the end is compared but never stepped past the end.
      {"ab\xB0", "\xB0", kNone, false, 3},
      {"ab\xB0", "\xB0\x40", kNone, false, -1},
      {"a\xB0", "x", kNone, false, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignore_case), c.position)
        << c.text << " / " << c.sought;
  }
}

TEST(MidTextTest, Table) {
  const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
  const std::int64_t tiny = std::numeric_limits<std::int64_t>::min();
  const struct {
    std::string_view text;
    std::int64_t start;
    std::int64_t count;
    std::string_view result;
  } cases[] = {
      {"abc", 3, 5, "c"},
      {"abc", 0, 1, ""},
      {"abc", 4, 1, ""},
      {"abc", 2, 1, "b"},
      {"abc", 1, 0, ""},
      {"abc", 1, -1, ""},
      {"abc", 1, huge, "abc"},
      {"abc", tiny, 5, ""},
      {"abc", huge, 5, ""},
      {"", 1, 1, ""},
      {"宠物", 2, 2, "\xE8\xCE"},  // counts plain bytes, splitting characters
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MidText(c.text, c.start, c.count), c.result)
        << c.text << " from " << c.start << " for " << c.count;
  }
}

TEST(ReplaceTextTest, Table) {
  const struct {
    std::string text;
    std::string_view sought;
    std::string_view replacement;
    std::optional<std::int64_t> start;
    std::optional<std::int64_t> limit;
    bool case_sensitive;
    std::string result;
  } cases[] = {
      {"", "a", "b", kNone, kNone, true, ""},
      {"abc", "", "x", kNone, kNone, true, "abc"},
      {"aXbXc", "X", "--", kNone, kNone, true, "a--b--c"},
      {"aXbXc", "X", "", kNone, kNone, true, "abc"},
      {"aXbXc", "Q", "--", kNone, kNone, true, "aXbXc"},
      // Limits: 0 changes nothing, a negative number does not limit.
      {"aXbXc", "X", "--", kNone, 1, true, "a--bXc"},
      {"aXbXc", "X", "--", kNone, 0, true, "aXbXc"},
      {"aXbXc", "X", "--", kNone, -1, true, "a--b--c"},
      // Start positions: the bytes before are kept, a start beyond the end changes nothing.
      {"XaXbX", "X", "-", 3, kNone, true, "Xa-b-"},
      {"XaXbX", "X", "-", 0, kNone, true, "-a-b-"},
      {"XaXbX", "X", "-", 6, kNone, true, "XaXbX"},
      {"XaXbX", "X", "-", 2, 1, true, "Xa-bX"},
      // Case.
      {"aXbx", "x", "-", kNone, kNone, false, "a-b-"},
      {"aXbx", "x", "-", kNone, kNone, true, "aXb-"},
      // Replaced text is never scanned again.
      {"aaa", "a", "aa", kNone, kNone, true, "aaaaaa"},
      {"aaaa", "aa", "a", kNone, kNone, true, "aa"},
      {"xxx", "xx", "x", kNone, kNone, true, "xx"},
      // Characters are stepped over whole.
      {"喂养宠物", "宠", "小", kNone, kNone, true, "喂养小物"},
      {Cat(kAtTrail, "@"), "@", "#", kNone, kNone, true, Cat(kAtTrail, "#")},
      {Cat(kLetterATrail, "a"), "A", "b", kNone, kNone, false, Cat(kLetterATrail, "b")},
      // A lead byte at the end is kept, or replaced when it is what is sought.
      {"a\xB0", "a", "b", kNone, kNone, true, "b\xB0"},
      {"x\xB0", "y", "z", kNone, kNone, true, "x\xB0"},
      {"ab\xB0", "\xB0", "", kNone, kNone, true, "ab"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceText(c.text, c.sought, c.replacement, c.start, c.limit, c.case_sensitive),
              c.result)
        << c.text << " / " << c.sought;
  }
}

TEST(StripSpacesAndBreaksTest, Table) {
  const struct {
    std::string text;
    std::string result;
  } cases[] = {
      {"", ""},
      {"a b  c ", "abc"},
      {"a\r\nb\r\n", "ab"},
      {"a\\rb", "ab"},
      // The blank goes in pass 1, which brings CR and LF together for pass 2.
      {"a\r \nb", "ab"},
      // Pass 2 brings a backslash and an r together for pass 3; pass 3 comes last, so a CR LF
      // pair it brings together stays.
      {"\\\r\nr", ""},
      {"\\ r", ""},
      {"\r\\r\n", "\r\n"},
      // Kept: lone CR, lone LF, LF CR, tab, the ideographic space, backslash and capital R.
      {"a\rb\nc\n\rd\te", "a\rb\nc\n\rd\te"},
      {"a　b", "a　b"},
      {"a\\Rb", "a\\Rb"},
      // A character ending in a backslash is whole: the r after it is not a "\r".
      {Cat(kBackslashTrail, "r"), Cat(kBackslashTrail, "r")},
      {Cat(kBackslashTrail, "r\\r"), Cat(kBackslashTrail, "r")},
      {Cat("猜 ", kBackslashTrail, " r"), Cat("猜", kBackslashTrail, "r")},
      {"a \xB0", "a\xB0"},
  };
  for (const auto& c : cases) {
    std::string variable = c.text;
    EXPECT_EQ(StripSpacesAndBreaks(variable), c.result) << c.text;
    EXPECT_EQ(variable, c.result) << c.text;
  }
}

TEST(TextBetweenTest, Table) {
  const struct {
    std::string text;
    std::string_view start_marker;
    std::string_view end_marker;
    std::string result;
  } cases[] = {
      {"abc[x]def", "[", "]", "x"},
      {"[a][b]", "[", "]", "a"},
      {"[]x]", "[", "]", ""},
      {"[abc", "[", "]", ""},
      {"a]bc[x", "[", "]", ""},  // the end marker only before the start marker
      {"xx<tag>val</tag>", "<TAG>", "</TAG>", "val"},
      {"昵称：张三。", "昵称：", "。", "张三"},
      // An absent start marker of L bytes starts the search at position L - 1.
      {"abcdef", "xy", "d", "abc"},
      {"abcdef", "xyz", "d", "bc"},
      {"abcdef", "x", "d", ""},
      {"abcdef", "xy", "z", ""},
      {"ab", "wxyz", "b", ""},
      // An empty start marker takes the text before the first end marker.
      {"abcdef", "", "d", "abc"},
      {"abc[x]", "[", "", ""},
      {"abc", "", "", ""},
      {"", "[", "]", ""},
      {"", "", "", ""},
      // The end marker does not match the second byte of a character.
      {Cat("[", kBracketTrail, "]"), "[", "]", std::string(kBracketTrail)},
      {Cat("<", kLetterATrail, ">"), "<", "A>", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextBetween(c.text, c.start_marker, c.end_marker), c.result)
        << c.text << " / " << c.start_marker << " / " << c.end_marker;
  }
}

}  // namespace
