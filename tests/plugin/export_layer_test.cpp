// The export layer as a host sees it: argument copies, reply lifetime, the descriptor bytes.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "common/reply.h"
#include "plugin/descriptor.h"
#include "plugin/export_layer.h"
#include "plugin/exports.h"

namespace {

using common::Reply;
using plugin::Slot;

class ExportLayerTest : public ::testing::Test {
 protected:
  void SetUp() override { plugin::ReleaseAllSlots(); }
  void TearDown() override { plugin::ReleaseAllSlots(); }
};

TEST_F(ExportLayerTest, NullArgumentsReachHandlersAsEmptyTexts) {
  std::string seen = "unset";
  auto handler = [&](std::string& a, std::string& b, std::string& c) {
    seen = "[" + a + "|" + b + "|" + c + "]";
    return Reply::Owned(seen);
  };
  plugin::RunExport(Slot::kTextBetween, handler, nullptr, "x", nullptr);
  EXPECT_EQ(seen, "[|x|]");
}

TEST_F(ExportLayerTest, ArgumentIsCopiedUpToItsFirstZeroByte) {
  const char argument[] = {'a', 'b', '\0', 'c', '\0'};
  std::string seen;
  auto handler = [&](std::string& a) {
    seen = a;
    a = "replaced by the handler";  // the wrapper releases the replacement
    return Reply();
  };
  plugin::RunExport(Slot::kStripSpaces, handler, argument);
  EXPECT_EQ(seen, "ab");
  EXPECT_STREQ(argument, "ab");  // the caller's text is never changed
}

TEST_F(ExportLayerTest, PreviousReplyStaysReadableWhileTheNextCallRuns) {
  const char* first = plugin::RunExport(Slot::kKickMember, [] { return Reply::Owned("first"); });
  std::string seen_during_second_call;
  const char* second = plugin::RunExport(Slot::kKickMember, [&] {
    seen_during_second_call = first;  // still valid: released only after this handler returns
    return Reply::Owned("second");
  });
  EXPECT_EQ(seen_during_second_call, "first");
  EXPECT_STREQ(second, "second");
  EXPECT_EQ(plugin::SlotText(Slot::kKickMember), second);
}

TEST_F(ExportLayerTest, CallOfOneExportLeavesOtherSlotsAlone) {
  const char* feed = plugin::RunExport(Slot::kFeedPet, [] { return Reply::Owned("feed"); });
  plugin::RunExport(Slot::kWork, [] { return Reply::Owned("work"); });
  plugin::RunExport(Slot::kWork, [] { return Reply::Owned("work again"); });
  EXPECT_EQ(plugin::SlotText(Slot::kFeedPet), feed);
  EXPECT_STREQ(feed, "feed");
}

TEST_F(ExportLayerTest, ConstantReplyIsReturnedAsTheSamePointerAndNeverFreed) {
  static const char kConstant[] = "constant";
  const char* first = plugin::RunExport(Slot::kMenu, [] { return Reply::Constant(kConstant); });
  const char* second = plugin::RunExport(Slot::kMenu, [] { return Reply::Constant(kConstant); });
  EXPECT_EQ(first, kConstant);
  EXPECT_EQ(second, kConstant);
  plugin::ReleaseAllSlots();
  EXPECT_STREQ(kConstant, "constant");
}

TEST_F(ExportLayerTest, SlotsAreNullBeforeTheFirstCallAndAfterUnload) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(Slot::kCount); ++i) {
    EXPECT_EQ(plugin::SlotText(static_cast<Slot>(i)), nullptr);
  }
  plugin::RunExport(Slot::kInfo, [] { return Reply::Owned("x"); });
  plugin::ReleaseAllSlots();  // the allocated reply is released once (AddressSanitizer checks)
  EXPECT_EQ(plugin::SlotText(Slot::kInfo), nullptr);
}

TEST_F(ExportLayerTest, InfoReturnsTheDescriptorAnewOnEveryCall) {
  const char* first = CqpInfo();
  const std::string first_text = first;
  const char* second = CqpInfo();
  EXPECT_EQ(first_text, second);
  EXPECT_EQ(std::string(second), plugin::DescriptorText());
}

TEST_F(ExportLayerTest, CommandExportsTakeNullForEveryArgument) {
  using CommandExport = const char* (*)(const char*, const char*, const char*, const char*,
                                        const char*);
  for (CommandExport command : {CqpFeedPet, CqpPetInfo, CqpWork, CqpGuessNumber,
                                CqpToTraditional, CqpToSimplified, CqpMenu, CqpNicknameLookup}) {
    EXPECT_NE(command(nullptr, nullptr, nullptr, nullptr, nullptr), nullptr);
  }
  EXPECT_NE(CqpStripSpaces(nullptr), nullptr);
  EXPECT_NE(CqpTextBetween(nullptr, nullptr, nullptr), nullptr);
  EXPECT_NE(CqpDayStamp(), nullptr);
}

TEST(DescriptorTest, HasNineEntriesOfTenCrLfLines) {
  const std::string text = plugin::DescriptorText();
  const std::string_view separator = "\r\n-----\r\n";
  std::size_t separators = 0;
  for (auto at = text.find(separator); at != std::string::npos;
       at = text.find(separator, at + 1)) {
    ++separators;
  }
  EXPECT_EQ(separators, 8u);
  EXPECT_EQ(text.rfind("宠物喂养\r\n1.0\r\nMorvel\r\n细心照料下你的宠物吧！\r\n@喂养\r\n\r\n\r\n"
                       "喂养宠物\r\n1\r\n假\r\n\r\n-----\r\n宠物信息\r\n",
                       0),
            0u);
  const std::string_view tail = "@T[\r\nQQ号\r\n]\r\nT人\r\n1\r\n假\r\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(DescriptorTest, EntriesMatchTheirExportsAndTriggers) {
  const std::string text = plugin::DescriptorText();
  for (std::string_view entry : {
           "宠物工作\r\n1.0\r\nMorvel\r\n赚钱去~~！\r\n@工作\r\n\r\n\r\n打工\r\n1\r\n假\r\n",
           "宠物猜猜乐\r\n1.0\r\nMorvel\r\n让宠物也来娱乐下吧！\r\n@猜数[\r\n数字\r\n]\r\n猜大小\r\n",
           "宠物翻译家\r\n1.0\r\nMorvel\r\n简体到繁体字体转换\r\n@简-繁[\r\n"
           "这里输入你要转换的文字\r\n]\r\n简体到繁体\r\n",
           "宠物翻译家\r\n1.0\r\nMorvel\r\n繁体到简体字体转换\r\n@繁-简[\r\n"
           "这里输入你要转换的文字\r\n]\r\n繁体到简体\r\n",
           "QQ昵称获取\r\n1.0\r\nMorvel\r\n获取QQ昵称\r\n@获取[\r\n要获取昵称的QQ号\r\n]\r\n昵称获取\r\n",
           "Morvel宠物系统功能表\r\n1.0\r\nMorvel\r\nMorvel宠物系统功能查询\r\n@命令表\r\n\r\n\r\n"
           "功能表\r\n",
           "宠物信息\r\n1.0\r\nMorvel\r\n查询宠物的信息\r\n@查询\r\n\r\n\r\n信息查询\r\n",
       }) {
    EXPECT_NE(text.find(entry), std::string::npos) << entry;
  }
}

}  // namespace
