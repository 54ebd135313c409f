// ScriptConverter: the reference conversions, punctuation, and the byte walk over odd input.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "commands/script_converter.h"

namespace {

using commands::ConvertScript;
using commands::ScriptDirection;

constexpr auto kToTraditional = ScriptDirection::kSimplifiedToTraditional;
constexpr auto kToSimplified = ScriptDirection::kTraditionalToSimplified;

struct Case {
  const char* name;
  ScriptDirection direction;
  std::string_view input;
  std::string_view expected;
};

const Case kCases[] = {
    {"reference simplified", kToTraditional, "龙体国书爱发简转换这", "龍體國書愛發簡轉換這"},
    {"traditional stays traditional", kToTraditional, "龍文字繁", "龍文字繁"},
    {"reference traditional", kToSimplified, "龍體國書愛發髮簡轉換這", "龙体国书爱发发简转换这"},
    {"simplified stays simplified", kToSimplified, "龙文字繁", "龙文字繁"},
    {"quotes to corner brackets", kToTraditional, "‘一’“二”", "「一」『二』"},
    {"corner brackets to quotes", kToSimplified, "「一」『二』〔三〕", "‘一’“二”［三］"},
    {"small-form marks", kToSimplified, "﹐﹑﹒﹔﹕﹖﹗", "，、。；：？！"},
    {"corner brackets stay", kToTraditional, "「」『』〔〕﹐﹗", "「」『』〔〕﹐﹗"},
    {"quotes stay", kToSimplified, "‘’“”，！", "‘’“”，！"},
    {"full-width letters and digits stay", kToTraditional,
     "０１２３４５６７８９ＡＢＣＸＹＺａｂｃｘｙｚ", "０１２３４５６７８９ＡＢＣＸＹＺａｂｃｘｙｚ"},
    {"full-width letters and digits stay", kToSimplified,
     "０１２３４５６７８９ＡＢＣＸＹＺａｂｃｘｙｚ", "０１２３４５６７８９ＡＢＣＸＹＺａｂｃｘｙｚ"},
    {"ASCII keeps its place", kToTraditional, "Hi 42, [name]\r\n龙!\t体~", "Hi 42, [name]\r\n龍!\t體~"},
    {"ASCII keeps its place", kToSimplified, "Hi 42, [enter]\r\n龍!\t體~", "Hi 42, [enter]\r\n龙!\t体~"},
    {"empty text", kToTraditional, "", ""},
    {"empty text", kToSimplified, "", ""},
    // 诚 becomes 誠, whose trail byte is 0x5C ('\'); 淺 has trail 0x5C and becomes 浅.
    {"trail byte 0x5C produced", kToTraditional, "诚\\", "誠\\"},
    {"trail byte 0x5C read", kToSimplified, "淺\\", "浅\\"},
    {"lone lead byte at the end", kToTraditional, "龙\xC1", "龍\xC1"},
    {"lone lead byte alone", kToSimplified, "\xFE", "\xFE"},
    // 0x80 and 0xFF swallow the next byte, so the walk is then out of step with 龙 (C1 FA).
    {"0x80 takes the next byte along", kToTraditional, "\x80\xC1\xFA", "\x80\xC1\xFA"},
    {"0xFF takes the next byte along", kToTraditional, "\xFF\xC1\xFA", "\xFF\xC1\xFA"},
    {"0xFF and an ASCII byte", kToTraditional, "\xFF" "A龙", "\xFF" "A龍"},
    {"0x80 at the end", kToSimplified, "龍\x80", "龙\x80"},
    // A pair whose second byte is no GBK trail is copied, and the walk still moves two bytes.
    {"trail 0x7F copied", kToTraditional, "\xC1\x7F龙", "\xC1\x7F龍"},
    {"trail below 0x40 copied", kToTraditional, "\xC1\x30\xC1\xFA", "\xC1\x30龍"},
    {"trail 0xFF copied", kToSimplified, "\xFD\xFF龍", "\xFD\xFF龙"},
};

TEST(ScriptConverterTest, ConvertsTheCasesTable) {
  for (const Case& c : kCases) {
    const std::string converted = ConvertScript(c.input, c.direction);
    EXPECT_EQ(converted, c.expected) << c.name;
  }
}

// Every two-byte input, so every GBK code and every pair that is not one: the length stays,
// a pair outside the GBK ranges stays, and a code maps to a code the same table leaves alone.
TEST(ScriptConverterTest, EveryPairKeepsItsLengthAndConvertingTwiceEqualsOnce) {
  for (const ScriptDirection direction : {kToTraditional, kToSimplified}) {
    int changed = 0;
    for (unsigned first = 0; first < 0x100; ++first) {
      for (unsigned second = 0; second < 0x100; ++second) {
        const std::string input{static_cast<char>(first), static_cast<char>(second)};
        const std::string once = ConvertScript(input, direction);
        ASSERT_EQ(once.size(), 2u) << first << " " << second;
        const bool is_code = first >= 0x81 && first <= 0xFE && second >= 0x40 &&
                             second <= 0xFE && second != 0x7F;
        if (!is_code) {
          ASSERT_EQ(once, input) << std::hex << first << " " << second;
          continue;
        }
        const auto out_lead = static_cast<unsigned char>(once[0]);
        const auto out_trail = static_cast<unsigned char>(once[1]);
        ASSERT_TRUE(out_lead >= 0x81 && out_lead <= 0xFE && out_trail >= 0x40 &&
                    out_trail <= 0xFE && out_trail != 0x7F)
            << std::hex << first << " " << second;
        ASSERT_EQ(ConvertScript(once, direction), once) << std::hex << first << " " << second;
        if (once != input) ++changed;
      }
    }
    RecordProperty(direction == kToTraditional ? "changed_to_traditional"
                                               : "changed_to_simplified",
                   changed);
  }
}

TEST(ScriptConverterTest, InputIsLeftAsItWas) {
  const std::string input = "龙体";
  const std::string converted = ConvertScript(input, kToTraditional);
  EXPECT_EQ(input, "龙体");
  EXPECT_EQ(converted, "龍體");
}

}  // namespace
