// The robot host's core: descriptor reading, trigger matching, placeholders, the GBK/UTF-8
// conversions and the example config set-up. Plain literals here are GBK (as the plugin's
// texts are); u8 literals are the terminal's UTF-8.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config_setup.h"
#include "descriptor.h"
#include "encoding.h"
#include "placeholders.h"
#include "platform.h"
#include "plugin/descriptor.h"
#include "temp_dir.h"
#include "trigger.h"

namespace robothost {
namespace {

std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

std::vector<CommandEntry> PluginCommands() {
  std::vector<CommandEntry> entries;
  std::string error;
  EXPECT_TRUE(ParseDescriptor(plugin::DescriptorText(), entries, error)) << error;
  return entries;
}

// --- descriptor ------------------------------------------------------------------------------

TEST(DescriptorTest, ReadsThePluginsNineEntries) {
  const std::vector<CommandEntry> entries = PluginCommands();
  ASSERT_EQ(entries.size(), 9u);
  EXPECT_EQ(entries[0].title, "宠物喂养");
  EXPECT_EQ(entries[0].trigger_prefix, "@喂养");
  EXPECT_FALSE(entries[0].TakesParameter());
  const CommandEntry& guess = entries[3];
  EXPECT_EQ(guess.version, "1.0");
  EXPECT_EQ(guess.author, "Morvel");
  EXPECT_EQ(guess.trigger_prefix, "@猜数[");
  EXPECT_EQ(guess.param_hint, "数字");
  EXPECT_EQ(guess.trigger_suffix, "]");
  EXPECT_EQ(guess.export_name, "猜大小");
  EXPECT_EQ(guess.line9, "1");
  EXPECT_EQ(guess.line10, "假");
  EXPECT_EQ(entries[8].export_name, "T人");
}

TEST(DescriptorTest, AcceptsBareLineFeeds) {
  std::string text = plugin::DescriptorText();
  for (std::string::size_type at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  std::vector<CommandEntry> entries;
  std::string error;
  ASSERT_TRUE(ParseDescriptor(text, entries, error)) << error;
  EXPECT_EQ(entries.size(), 9u);
  EXPECT_EQ(entries[4].export_name, "简体到繁体");
}

TEST(DescriptorTest, RefusesMalformedTexts) {
  const std::string one = "t\r\n1.0\r\nMorvel\r\nd\r\n@a\r\n\r\n\r\nA\r\n1\r\n假\r\n";
  const struct {
    const char* what;
    std::string text;
    std::size_t entries_read;
  } kCases[] = {
      {"empty", "", 0},
      {"short entry", "t\r\n1.0\r\nMorvel\r\n", 0},
      {"no separator", one + one, 1},
      {"separator without empty line", one + "-----\r\n" + one, 1},
      {"short second entry", one + "\r\n-----\r\nt\r\n", 1},
  };
  for (const auto& c : kCases) {
    std::vector<CommandEntry> entries;
    std::string error;
    EXPECT_FALSE(ParseDescriptor(c.text, entries, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_EQ(entries.size(), c.entries_read) << c.what;
  }
  std::vector<CommandEntry> entries;
  std::string error;
  EXPECT_TRUE(ParseDescriptor(one + "\r\n-----\r\n" + one, entries, error)) << error;
  EXPECT_EQ(entries.size(), 2u);
}

// --- triggers --------------------------------------------------------------------------------

TEST(TriggerTest, MatchesLinesAgainstThePluginsTriggers) {
  const std::vector<CommandEntry> commands = PluginCommands();
  const struct {
    std::string line;
    std::optional<std::string> export_name;
    std::string parameter;
  } kCases[] = {
      {"@喂养", "喂养宠物", ""},
      {"@命令表", "功能表", ""},
      {"@猜数[50]", "猜大小", "50"},
      {"@猜数[]", "猜大小", ""},                      // an empty parameter still calls
      {"@猜数[ 5 ]", "猜大小", " 5 "},                // nothing is trimmed
      {"@猜数[a]]", "猜大小", "a]"},                  // the last "]" closes
      {"@简-繁[龙体]", "简体到繁体", "龙体"},
      {"@T[23456]", "T人", "23456"},
      {"@喂养 ", std::nullopt, ""},
      {" @喂养", std::nullopt, ""},
      {"@喂养宠物", std::nullopt, ""},
      {"@功能表", std::nullopt, ""},                  // listed by the menu, not a trigger
      {"@猜数[50", std::nullopt, ""},
      {"@猜数", std::nullopt, ""},
      {"", std::nullopt, ""},
  };
  for (const auto& c : kCases) {
    const std::optional<TriggerMatch> match = MatchTrigger(commands, c.line);
    ASSERT_EQ(match.has_value(), c.export_name.has_value()) << c.line;
    if (!match) continue;
    EXPECT_EQ(match->entry->export_name, *c.export_name) << c.line;
    EXPECT_EQ(match->parameter, c.parameter) << c.line;
  }
}

TEST(TriggerTest, TheSecondByteOfAChineseCharacterIsNeverTheClosingBracket) {
  const std::vector<CommandEntry> commands = PluginCommands();
  // 0x81 0x5D is one GBK character whose second byte is ']'.
  EXPECT_FALSE(MatchTrigger(commands, "@猜数[\x81\x5D").has_value());
  const std::optional<TriggerMatch> match = MatchTrigger(commands, "@猜数[\x81\x5D]");
  ASSERT_TRUE(match.has_value());
  EXPECT_EQ(match->parameter, "\x81\x5D");
}

TEST(TriggerTest, FirstMatchingEntryWinsAndEmptyPrefixesMatchNothing) {
  std::vector<CommandEntry> commands(3);
  commands[0].export_name = "empty";  // no prefix: never matches, not even the empty line
  commands[1].trigger_prefix = "!";
  commands[1].trigger_suffix = "!";
  commands[1].export_name = "first";
  commands[2].trigger_prefix = "!!";
  commands[2].export_name = "second";
  EXPECT_FALSE(MatchTrigger(commands, "").has_value());
  ASSERT_TRUE(MatchTrigger(commands, "!!").has_value());
  EXPECT_EQ(MatchTrigger(commands, "!!")->entry->export_name, "first");
  EXPECT_FALSE(MatchTrigger(commands, "!").has_value());  // prefix and suffix may not overlap
}

// --- placeholders ----------------------------------------------------------------------------

TEST(PlaceholderTest, ReplacesEachPlaceholderOnce) {
  const std::string sender = Utf8(u8"小明");
  const std::string robot = Utf8(u8"机器人");
  const Placeholders values{sender, robot, "\n"};
  const struct {
    std::u8string reply;
    std::u8string shown;
  } kCases[] = {
      {u8"[name]，T人成功", u8"小明，T人成功"},
      {u8"a[enter]b[enter]", u8"a\nb\n"},
      {u8"[cqname]为你查询", u8"机器人为你查询"},
      {u8"[name][name]", u8"小明小明"},
      {u8"[[name]]", u8"[小明]"},
      {u8"[nam", u8"[nam"},
      {u8"[NAME] [enter", u8"[NAME] [enter"},
      {u8"", u8""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ReplacePlaceholders(Utf8(c.reply), values), Utf8(c.shown)) << Utf8(c.reply);
  }
}

TEST(PlaceholderTest, InsertedNamesAreNotScannedAgain) {
  const Placeholders values{"[enter]", "[name]", "\n"};
  EXPECT_EQ(ReplacePlaceholders("[name]/[cqname]", values), "[enter]/[name]");
}

// --- encoding --------------------------------------------------------------------------------

TEST(EncodingTest, ConvertsChatTextToGbk) {
  const struct {
    std::u8string utf8;
    std::string gbk;
  } kCases[] = {
      {u8"", ""},
      {u8"abc 123", "abc 123"},
      {u8"龙体", "龙体"},
      {u8"@猜数[５０]", "@猜数[５０]"},
      {u8"①：@功能表", "①：@功能表"},
      {u8"龍體國", "龍體國"},
  };
  for (const auto& c : kCases) {
    const GbkConversion converted = Utf8ToGbk(Utf8(c.utf8));
    EXPECT_EQ(converted.error, GbkError::kNone) << Utf8(c.utf8);
    EXPECT_EQ(converted.text, c.gbk) << Utf8(c.utf8);
    EXPECT_EQ(GbkToUtf8(c.gbk), Utf8(c.utf8));
  }
}

TEST(EncodingTest, NamesWhatCannotBeSent) {
  const struct {
    const char* what;
    std::string utf8;
    GbkError error;
    std::size_t offset;
  } kCases[] = {
      {"a byte never used by UTF-8", "a\xFF" "b", GbkError::kInvalidUtf8, 1},
      {"a character cut short", "ab\xE9\xBE", GbkError::kInvalidUtf8, 2},
      {"an overlong NUL", "\xC0\x80", GbkError::kInvalidUtf8, 0},
      {"a surrogate", "x\xED\xA0\x80", GbkError::kInvalidUtf8, 1},
      {"above U+10FFFF", "\xF4\x90\x80\x80", GbkError::kInvalidUtf8, 0},
      {"a lone continuation byte", "\x80", GbkError::kInvalidUtf8, 0},
      {"an emoji", Utf8(u8"龙\U0001F600"), GbkError::kNotInGbk, 3},
      {"Hangul", Utf8(u8"a한"), GbkError::kNotInGbk, 1},
  };
  for (const auto& c : kCases) {
    const GbkConversion converted = Utf8ToGbk(c.utf8);
    EXPECT_EQ(converted.error, c.error) << c.what;
    EXPECT_EQ(converted.offset, c.offset) << c.what;
    EXPECT_TRUE(converted.text.empty()) << c.what;
  }
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"龙\U0001F600")).character, Utf8(u8"\U0001F600"));
}

TEST(EncodingTest, ShowsBytesThatAreNotGbkAsReplacementCharacters) {
  const std::string replacement = Utf8(u8"\uFFFD");
  EXPECT_EQ(GbkToUtf8("龙\xFF"), Utf8(u8"龙") + replacement);
  EXPECT_EQ(GbkToUtf8("a\x81"), "a" + replacement);             // a lead byte at the end
  EXPECT_EQ(GbkToUtf8("\x81 b"), replacement + " b");           // a blank cannot end a character
  EXPECT_EQ(GbkToUtf8("\xFF\xFF" "体"), replacement + replacement + Utf8(u8"体"));
}

TEST(EncodingTest, EscapesMalformedBytesForTheTerminal) {
  EXPECT_EQ(EscapeInvalidUtf8("a\xFF" "b"), "a\\xFFb");
  EXPECT_EQ(EscapeInvalidUtf8(Utf8(u8"龙") + "\xE9\xBE"), Utf8(u8"龙") + "\\xE9\\xBE");
  EXPECT_EQ(EscapeInvalidUtf8(Utf8(u8"正常")), Utf8(u8"正常"));
}

// --- example config ----------------------------------------------------------------------------

class ConfigSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run_ = dir_.string();
    examples_ = platform::JoinPath(run_, "examples");
    ASSERT_TRUE(platform::MakeDirectory(examples_));
    ASSERT_TRUE(platform::CreateNewFile(Example(kPetFile), kLevels));
    ASSERT_TRUE(platform::CreateNewFile(Example(kWorkFile), kTitles));
  }

  std::string Example(const std::string& name) const { return platform::JoinPath(examples_, name); }
  std::string Config(const std::string& name) const {
    return platform::JoinPath(platform::JoinPath(run_, "config"), name);
  }
  std::string Read(const std::string& path) const {
    std::string content;
    EXPECT_TRUE(platform::ReadWholeFile(path, content)) << path;
    return content;
  }

  const std::string kPetFile = Utf8(u8"宠物系统.ini");
  const std::string kWorkFile = Utf8(u8"工作配置.ini");
  const std::string kLevels = "[等级设置]\r\n等级1=幼崽\r\n等级2=少年\r\n";
  const std::string kTitles = "[称号配置]\r\n称号1=新人\r\n";
  test_support::TempDir dir_;
  std::string run_;
  std::string examples_;
};

TEST_F(ConfigSetupTest, FirstStartCreatesTheDirectoryAndCopiesTheExamples) {
  const ConfigSetup setup = PrepareConfigDirectory(run_, examples_);
  EXPECT_TRUE(setup.created_directory);
  EXPECT_EQ(setup.created_files.size(), 2u);
  EXPECT_TRUE(setup.problems.empty());
  EXPECT_EQ(Read(Config(kPetFile)), kLevels);
  EXPECT_EQ(Read(Config(kWorkFile)), kTitles);

  const ConfigSetup again = PrepareConfigDirectory(run_, examples_);
  EXPECT_FALSE(again.created_directory);
  EXPECT_TRUE(again.created_files.empty());
  EXPECT_TRUE(again.added_sections.empty());
  EXPECT_EQ(Read(Config(kPetFile)), kLevels);
}

TEST_F(ConfigSetupTest, AppendsOnlySectionsThatAreMissing) {
  ASSERT_TRUE(platform::MakeDirectory(platform::JoinPath(run_, "config")));
  const struct {
    const char* what;
    std::string existing;
    std::string after;
  } kCases[] = {
      {"records, no levels", "[12345]\r\n喂养次数=3\r\n", "[12345]\r\n喂养次数=3\r\n" + kLevels},
      {"no final line break", "[12345]\r\n喂养次数=3", "[12345]\r\n喂养次数=3\r\n" + kLevels},
      {"empty file", "", kLevels},
      {"levels of its own", "[等级设置]\r\n等级1=我的\r\n", "[等级设置]\r\n等级1=我的\r\n"},
      {"an empty section", " [等级设置] \n", " [等级设置] \n"},
      // "[等级设\x81]" is not the header: its "]" is the second byte of a character.
      {"bracket inside a character", "[等级设置\x81]\r\n", "[等级设置\x81]\r\n" + kLevels},
  };
  for (const auto& c : kCases) {
    std::filesystem::remove(std::filesystem::u8path(Config(kPetFile)));
    ASSERT_TRUE(platform::CreateNewFile(Config(kPetFile), c.existing)) << c.what;
    const ConfigSetup setup = PrepareConfigDirectory(run_, examples_);
    EXPECT_TRUE(setup.problems.empty()) << c.what;
    EXPECT_EQ(Read(Config(kPetFile)), c.after) << c.what;
  }
}

TEST_F(ConfigSetupTest, WithoutExamplesOnlyTheDirectoryIsMade) {
  const ConfigSetup setup = PrepareConfigDirectory(run_, "");
  EXPECT_TRUE(setup.created_directory);
  EXPECT_TRUE(setup.created_files.empty());
  EXPECT_FALSE(platform::IsFile(Config(kPetFile)));
  // A missing examples directory is the same as none.
  const ConfigSetup missing = PrepareConfigDirectory(run_, platform::JoinPath(run_, "nowhere"));
  EXPECT_TRUE(missing.created_files.empty());
  EXPECT_TRUE(missing.problems.empty());
}

}  // namespace
}  // namespace robothost
