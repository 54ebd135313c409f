// The command menu: its exact GBK bytes and its constant reply through the export.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "commands/menu.h"
#include "common/command.h"
#include "plugin/export_layer.h"
#include "plugin/exports.h"

namespace {

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    hex += kDigits[value >> 4];
    hex += kDigits[value & 0x0F];
  }
  return hex;
}

std::size_t Count(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

class MenuTest : public ::testing::Test {
 protected:
  void TearDown() override { plugin::ReleaseAllSlots(); }
};

TEST_F(MenuTest, TextIsExactlyTheMenu) {
  common::CommandArgs args;
  const std::string_view menu = commands::Menu(args).c_str();
  EXPECT_EQ(menu,
            "[cqname]为你查询Morvel宠物系统的相关功能：[enter]     ①：@喂养[enter]     ②：@查询"
            "[enter]     ③：@工作[enter]     ④：@猜数[数字][enter]     ⑤：@简-繁[这里输入你要转换的文字]"
            "[enter]     ⑥：@繁-简[这里输入你要转换的文字][enter]     ⑦：@获取[要获取昵称的QQ号]"
            "[enter]     ⑧：@功能表 ");
  // The same bytes written out, so a change of the compiler's character set shows too.
  EXPECT_EQ(Hex(menu),
            "5b63716e616d655dceaac4e3b2e9d1af4d6f7276656cb3e8ceefcfb5cdb3b5c4cfe0b9d8b9a6c4dca3ba"
            "5b656e7465725d2020202020a2d9a3ba40ceb9d1f8"
            "5b656e7465725d2020202020a2daa3ba40b2e9d1af"
            "5b656e7465725d2020202020a2dba3ba40b9a4d7f7"
            "5b656e7465725d2020202020a2dca3ba40b2c2cafd5bcafdd7d65d"
            "5b656e7465725d2020202020a2dda3ba40bcf22db7b15bd5e2c0efcae4c8ebc4e3d2aad7aabbbbb5c4cec4d7d65d"
            "5b656e7465725d2020202020a2dea3ba40b7b12dbcf25bd5e2c0efcae4c8ebc4e3d2aad7aabbbbb5c4cec4d7d65d"
            "5b656e7465725d2020202020a2dfa3ba40bbf1c8a15bd2aabbf1c8a1eac7b3c6b5c45151bac55d"
            "5b656e7465725d2020202020a2e0a3ba40b9a6c4dcb1ed20");
  EXPECT_EQ(Count(menu, "[enter]"), 8u);
  EXPECT_EQ(Count(menu, "[enter]     "), 8u);
  EXPECT_EQ(Count(menu, "[enter]      "), 0u);
  EXPECT_EQ(menu.substr(menu.size() - std::string_view("@功能表 ").size()), "@功能表 ");
}

TEST_F(MenuTest, ExportReturnsTheSameConstantTextWhateverTheArguments) {
  const char* first = CqpMenu(nullptr, nullptr, nullptr, nullptr, nullptr);
  const std::string text = first;
  const char* second = CqpMenu("", "", "", "", "");
  const char* third = CqpMenu("x", "y", "12345", "67890", "z");
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, third);
  common::CommandArgs args;
  EXPECT_EQ(first, commands::Menu(args).c_str());
  plugin::ReleaseAllSlots();  // an unload never releases the constant text
  EXPECT_EQ(std::string(first), text);
  EXPECT_EQ(CqpMenu(nullptr, nullptr, nullptr, nullptr, nullptr), first);
}

}  // namespace
