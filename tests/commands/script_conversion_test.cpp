// The 简体到繁体 and 繁体到简体 commands as the robot host calls them, through the exports.
#include <gtest/gtest.h>

#include <string>

#include "plugin/export_layer.h"
#include "plugin/exports.h"

namespace {

using CommandExport = const char* (*)(const char*, const char*, const char*, const char*,
                                      const char*);

class ScriptConversionTest : public ::testing::Test {
 protected:
  void TearDown() override { plugin::ReleaseAllSlots(); }
};

struct Case {
  const char* name;
  CommandExport command;
  const char* parameter;
  const char* expected_reply;
};

const Case kCases[] = {
    {"simplified to traditional", CqpToTraditional, "龙体",
     "[name]，你要转换的文字是：龙体[enter]转换后的文字是：龍體"},
    // This direction's first fragment has no colon before the echoed text.
    {"traditional to simplified", CqpToSimplified, "龍體",
     "[name]，你要转换的文字是龍體[enter]转换后的文字是：龙体"},
    {"already traditional", CqpToTraditional, "龍體",
     "[name]，你要转换的文字是：龍體[enter]转换后的文字是：龍體"},
    {"already simplified", CqpToSimplified, "龙体",
     "[name]，你要转换的文字是龙体[enter]转换后的文字是：龙体"},
    {"empty parameter", CqpToTraditional, "", "[name]，你要转换的文字是：[enter]转换后的文字是："},
    {"empty parameter", CqpToSimplified, "", "[name]，你要转换的文字是[enter]转换后的文字是："},
    {"absent parameter", CqpToTraditional, nullptr,
     "[name]，你要转换的文字是：[enter]转换后的文字是："},
    {"absent parameter", CqpToSimplified, nullptr,
     "[name]，你要转换的文字是[enter]转换后的文字是："},
    {"blanks and CR LF kept", CqpToTraditional, " 发 \r\n书 ",
     "[name]，你要转换的文字是： 发 \r\n书 [enter]转换后的文字是： 發 \r\n書 "},
    {"placeholders passed through", CqpToSimplified, "[name]發[enter]",
     "[name]，你要转换的文字是[name]發[enter][enter]转换后的文字是：[name]发[enter]"},
    {"mixed ASCII", CqpToTraditional, "QQ 123: 这是简体!",
     "[name]，你要转换的文字是：QQ 123: 这是简体![enter]转换后的文字是：QQ 123: 這是簡體!"},
    {"punctuation", CqpToSimplified, "「說」﹖",
     "[name]，你要转换的文字是「說」﹖[enter]转换后的文字是：‘说’？"},
};

TEST_F(ScriptConversionTest, RepliesWithTheEchoAndTheConversion) {
  for (const Case& c : kCases) {
    const char* reply = c.command(c.parameter, "ignored", "10000", "20000", "ignored");
    ASSERT_NE(reply, nullptr) << c.name;
    EXPECT_STREQ(reply, c.expected_reply) << c.name;
  }
}

TEST_F(ScriptConversionTest, ConvertingTheConvertedTextAgainChangesNothing) {
  const std::string marker = "[enter]转换后的文字是：";
  for (CommandExport command : {CqpToTraditional, CqpToSimplified}) {
    const std::string first = command("发髮國体「」‘’ a1", nullptr, nullptr, nullptr, nullptr);
    const std::string converted = first.substr(first.find(marker) + marker.size());
    const std::string second = command(converted.c_str(), nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(second.substr(second.find(marker) + marker.size()), converted);
  }
}

}  // namespace
