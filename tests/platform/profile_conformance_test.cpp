// One table of profile file cases run against every implementation: natively against our own
// POSIX store, under wine64 against the Windows profile API. Each case says what it rests on:
//   kContract - what the module relies on (the three properties, defaults, empty values, the
//               blank-name rule, the 10,239-byte cut, files made by the first write, no
//               directories made): every implementation must give the same answer;
//   kWindows  - left open by the contract; our store follows documented native Windows
//               behaviour, and `wine` records where Wine answers otherwise.
// A write case also records the file's bytes afterwards: our store changes only the line it
// must and keeps every other byte; Wine rewrites the whole file in its own layout, recorded
// where it differs; native Windows' bytes are not recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/profile_store.h"
#include "platform/profile.h"
#include "profile_implementation.h"
#include "temp_dir.h"

namespace {

using test_support::CurrentProfileImplementation;
using test_support::ProfileImplementation;
using test_support::ReadFile;
using test_support::WriteFile;

enum class Basis { kContract, kWindows };

struct ReadCase {
  const char* name;
  Basis basis;
  std::optional<std::string> file;  // nothing: no file at all
  const char* section;
  const char* key;
  const char* default_value;
  std::string expected;
  std::optional<std::string> wine = std::nullopt;  // Wine's answer where it differs
};

const std::string kLongValue(12000, 'x');

std::vector<ReadCase> ReadCases() {
  const std::string record = "[12345]\r\n时间=2024年5月1日\r\n喂养次数=7\r\n总经验=70\r\n";
  return {
      // The three relied-on properties and the defaults.
      {"StoredValue", Basis::kContract, record, "12345", "喂养次数", "0", "7"},
      {"ChineseNamesAndValue", Basis::kContract, "[等级设置]\r\n1=幼年期\r\n", "等级设置", "1", "",
       "幼年期"},
      {"ValueWithEquals", Basis::kContract, "[s]\r\nk=a=b==c\r\n", "s", "k", "", "a=b==c"},
      {"MissingFile", Basis::kContract, std::nullopt, "12345", "时间", "默认", "默认"},
      {"MissingSection", Basis::kContract, record, "54321", "时间", "默认", "默认"},
      {"MissingKey", Basis::kContract, record, "12345", "等级", "默认", "默认"},
      {"MissingWithoutDefault", Basis::kContract, record, "12345", "等级", "", ""},
      {"EmptyValueIsNotTheDefault", Basis::kContract, "[s]\r\nk=\r\n", "s", "k", "默认", ""},
      {"EmptyFile", Basis::kContract, "", "s", "k", "默认", "默认"},
      {"LfLineEnds", Basis::kContract, "[s]\nk=v\nj=w\n", "s", "j", "", "w"},
      {"LastLineWithoutBreak", Basis::kContract, "[s]\r\nk=v", "s", "k", "", "v"},
      {"SectionsAfterOthers", Basis::kContract, "[a]\r\nk=1\r\n[b]\r\nk=2\r\n[c]\r\nk=3\r\n", "b",
       "k", "", "2"},
      {"KeyOfAnotherSectionIsMissing", Basis::kContract, "[a]\r\nk=1\r\n[b]\r\nj=2\r\n", "b", "k",
       "默认", "默认"},
      // GBK characters whose second byte is '\', ']', '[', 'A' or 'a'.
      {"TrailBytesInValue", Basis::kContract, "[s]\r\nk=俓乚乕丄乤\r\n", "s", "k", "", "俓乚乕丄乤"},
      {"TrailBracketInSectionName", Basis::kContract, "[乚乕]\r\nk=v\r\n", "乚乕", "k", "", "v"},
      {"TrailLetterIsNotFolded", Basis::kContract, "[丄]\r\nk=v\r\n", "乤", "k", "默认", "默认"},
      {"KeysBeforeAnySectionStayOutOfTheFirst", Basis::kContract, "k=0\r\n[s]\r\nj=1\r\n", "s",
       "k", "默认", "默认"},
      // The blank-name rule and the cut, in front of every implementation.
      {"LeadingBlankOfSectionSkipped", Basis::kContract, record, " 12345", "喂养次数", "", "7"},
      {"LeadingControlBytesOfKeySkipped", Basis::kContract, record, "12345", "\t\r\n喂养次数", "",
       "7"},
      {"EmptySectionGivesEmptyNotDefault", Basis::kContract, record, "", "喂养次数", "默认", ""},
      {"BlankSectionGivesEmptyNotDefault", Basis::kContract, record, " \t", "喂养次数", "默认",
       ""},
      {"BlankKeyGivesEmptyNotDefault", Basis::kContract, record, "12345", "  ", "默认", ""},
      {"LongValueCut", Basis::kContract, "[s]\r\nk=" + kLongValue + "\r\n", "s", "k", "",
       kLongValue.substr(0, 10239)},
      {"ValueOfExactlyTheLimit", Basis::kContract,
       "[s]\r\nk=" + kLongValue.substr(0, 10239) + "\r\n", "s", "k", "",
       kLongValue.substr(0, 10239)},

      // Left open by the contract: documented native Windows behaviour.
      {"BlanksAroundEqualsTrimmed", Basis::kWindows, "[s]\r\n  k \t=  v w \t\r\n", "s", "k", "",
       "v w"},
      {"BlanksInsideBracketsTrimmed", Basis::kWindows, "  [ s ]  \r\nk=v\r\n", "s", "k", "", "v"},
      {"DoubleQuotesDropped", Basis::kWindows, "[s]\r\nk=\"v w\"\r\n", "s", "k", "", "v w"},
      {"SingleQuotesDropped", Basis::kWindows, "[s]\r\nk='v'\r\n", "s", "k", "", "v"},
      {"UnmatchedQuotesKept", Basis::kWindows, "[s]\r\nk=\"v'\r\n", "s", "k", "", "\"v'"},
      {"LoneQuoteKept", Basis::kWindows, "[s]\r\nk=\"\r\n", "s", "k", "", "\""},
      {"SectionNameIgnoresCase", Basis::kWindows, "[Pet]\r\nk=v\r\n", "pET", "k", "", "v"},
      {"KeyIgnoresCase", Basis::kWindows, "[s]\r\nLevel=v\r\n", "s", "LEVEL", "", "v"},
      {"FirstOfDuplicateKeys", Basis::kWindows, "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "", "1"},
      {"FirstOfDuplicateSections", Basis::kWindows, "[s]\r\nk=1\r\n[t]\r\n[s]\r\nk=2\r\n", "s",
       "k", "", "1"},
      {"KeyOnlyInSecondDuplicateSection", Basis::kWindows, "[s]\r\nj=1\r\n[s]\r\nk=2\r\n", "s",
       "k", "默认", "默认"},
      {"SectionNameEndsAtFirstBracket", Basis::kWindows, "[a]b]\r\nk=v\r\n", "a", "k", "默认",
       "v", "默认"},
      {"TextAfterHeaderIgnored", Basis::kWindows, "[s] ; note\r\nk=v\r\n", "s", "k", "", "v"},
      {"CommentLineIsNoKey", Basis::kWindows, "[s]\r\n;k=v\r\n", "s", ";k", "默认", "默认", "v"},
      {"SemicolonInsideValueKept", Basis::kWindows, "[s]\r\nk=a;b\r\n", "s", "k", "", "a;b"},
      {"Utf8BomIsNotSpecial", Basis::kWindows, "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "默认",
       "默认", "v"},
      {"LineWithoutEqualsIsNoKey", Basis::kWindows, "[s]\r\nk\r\n", "s", "k", "默认", "默认"},
      {"DefaultLosesTrailingBlanks", Basis::kWindows, std::nullopt, "s", "k", "d  ", "d"},
  };
}

std::string CaseFile(const test_support::TempDir& dir) { return (dir.path() / "t.ini").string(); }

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class ProfileReadConformance : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileReadConformance, ReadsAsThePlatformDoes) {
  const ReadCase& c = GetParam();
  test_support::TempDir dir;
  const std::string path = CaseFile(dir);
  if (c.file) WriteFile(path, *c.file);
  const bool wine = CurrentProfileImplementation() == ProfileImplementation::kWine;
  const std::string& expected = (wine && c.wine) ? *c.wine : c.expected;
  EXPECT_EQ(common::ReadProfileValue(path, c.section, c.key, c.default_value), expected)
      << test_support::ProfileImplementationName();
  if (c.file) {
    EXPECT_EQ(ReadFile(path), *c.file) << "a read changed the file";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReadConformance, testing::ValuesIn(ReadCases()),
                         [](const testing::TestParamInfo<ReadCase>& param) {
                           return std::string(param.param.name);
                         });

struct Write {
  const char* section;
  const char* key;
  const char* value;
};

struct ReadBack {
  const char* section;
  const char* key;
  const char* expected;  // read with the default "默认"
};

struct WriteCase {
  const char* name;
  Basis basis;
  std::optional<std::string> file;
  std::vector<Write> writes;
  std::vector<ReadBack> reads;
  std::optional<std::string> our_bytes;  // the file afterwards, as our store leaves it
  // The file afterwards as Wine leaves it, where that differs from ours. Wine rewrites the
  // whole file from what it parsed: blanks around '=' and blank lines go, a comment stays with
  // the section above it, LF becomes CR LF.
  std::optional<std::string> wine_bytes = std::nullopt;
};

std::vector<WriteCase> WriteCases() {
  const std::string hand_made =
      "; pets of group 1\r\n"
      "[10001]\r\n"
      "时间=2024年5月1日\r\n"
      "  喂养次数 = 3   \r\n"
      "\r\n"
      "; the settings\r\n"
      "[等级设置]\r\n"
      "1=幼年期\r\n";
  return {
      {"FirstWriteCreatesTheFile", Basis::kContract, std::nullopt, {{"12345", "时间", "2024年5月1日"}},
       {{"12345", "时间", "2024年5月1日"}}, "[12345]\r\n时间=2024年5月1日\r\n"},
      {"EmptyValueStoredAsEmpty", Basis::kContract, std::nullopt, {{"s", "k", ""}},
       {{"s", "k", ""}}, "[s]\r\nk=\r\n"},
      {"ValueReplacedInPlaceKeepingEveryOtherByte", Basis::kContract, hand_made,
       {{"10001", "喂养次数", "4"}},
       {{"10001", "喂养次数", "4"}, {"10001", "时间", "2024年5月1日"}, {"等级设置", "1", "幼年期"}},
       "; pets of group 1\r\n[10001]\r\n时间=2024年5月1日\r\n  喂养次数 = 4\r\n\r\n"
       "; the settings\r\n[等级设置]\r\n1=幼年期\r\n",
       "; pets of group 1\r\n[10001]\r\n时间=2024年5月1日\r\n喂养次数=4\r\n"
       "; the settings\r\n[等级设置]\r\n1=幼年期\r\n"},
      {"KeyAddedAfterTheSectionsLastEntry", Basis::kContract, hand_made,
       {{"10001", "总经验", "30"}},
       {{"10001", "总经验", "30"}, {"10001", "喂养次数", "3"}, {"等级设置", "1", "幼年期"}},
       "; pets of group 1\r\n[10001]\r\n时间=2024年5月1日\r\n  喂养次数 = 3   \r\n总经验=30\r\n"
       "\r\n; the settings\r\n[等级设置]\r\n1=幼年期\r\n",
       "; pets of group 1\r\n[10001]\r\n时间=2024年5月1日\r\n喂养次数=3\r\n; the settings\r\n"
       "总经验=30\r\n[等级设置]\r\n1=幼年期\r\n"},
      {"SectionAppendedAtTheEnd", Basis::kContract, hand_made, {{"10002", "时间", "今天"}},
       {{"10002", "时间", "今天"}, {"10001", "时间", "2024年5月1日"}},
       hand_made + "[10002]\r\n时间=今天\r\n",
       "; pets of group 1\r\n[10001]\r\n时间=2024年5月1日\r\n喂养次数=3\r\n; the settings\r\n"
       "[等级设置]\r\n1=幼年期\r\n[10002]\r\n时间=今天\r\n"},
      {"LfFileKeepsItsLinesAndGetsCrLfLines", Basis::kContract, "[a]\nk=1\n[b]\nk=2\n",
       {{"a", "k", "9"}, {"a", "j", "8"}, {"c", "k", "7"}},
       {{"a", "k", "9"}, {"a", "j", "8"}, {"b", "k", "2"}, {"c", "k", "7"}},
       "[a]\nk=9\nj=8\r\n[b]\nk=2\n[c]\r\nk=7\r\n",
       "[a]\r\nk=9\r\nj=8\r\n[b]\r\nk=2\r\n[c]\r\nk=7\r\n"},
      {"LastLineWithoutBreak", Basis::kContract, "[a]\r\nk=1",
       {{"a", "j", "2"}, {"b", "k", "3"}}, {{"a", "k", "1"}, {"a", "j", "2"}, {"b", "k", "3"}},
       "[a]\r\nk=1\r\nj=2\r\n[b]\r\nk=3\r\n"},
      {"HeaderAsLastLineWithoutBreak", Basis::kContract, "[a]\r\nk=1\r\n[b]",
       {{"b", "k", "2"}}, {{"a", "k", "1"}, {"b", "k", "2"}}, "[a]\r\nk=1\r\n[b]\r\nk=2\r\n"},
      {"ValuesReadBackByteForByte", Basis::kContract, std::nullopt,
       {{"等级设置", "1", "俓乚乕丄乤"}, {"等级设置", "2", "a=b"}, {"等级设置", "3", "-17"},
        {"等级设置", "4", "x;y"}},
       {{"等级设置", "1", "俓乚乕丄乤"}, {"等级设置", "2", "a=b"}, {"等级设置", "3", "-17"},
        {"等级设置", "4", "x;y"}},
       std::nullopt},
      {"RewriteOfOneKeyOfMany", Basis::kContract, std::nullopt,
       {{"1", "a", "1"}, {"2", "a", "2"}, {"1", "b", "3"}, {"1", "a", "4"}, {"2", "a", ""}},
       {{"1", "a", "4"}, {"1", "b", "3"}, {"2", "a", ""}}, "[1]\r\na=4\r\nb=3\r\n[2]\r\na=\r\n"},
      {"SameValueAgainLeavesTheFile", Basis::kContract, "[s]\r\nk=v\r\n", {{"s", "k", "v"}},
       {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
      {"KeysBeforeAnySectionKept", Basis::kContract, "k=0\r\n[s]\r\nj=1\r\n", {{"s", "k", "2"}},
       {{"s", "k", "2"}, {"s", "j", "1"}}, "k=0\r\n[s]\r\nj=1\r\nk=2\r\n"},

      // Left open by the contract: native Windows behaviour.
      {"QuotedValueReplacedWhole", Basis::kWindows, "[s]\r\nk=\"old\"\r\n", {{"s", "k", "new"}},
       {{"s", "k", "new"}}, "[s]\r\nk=new\r\n"},
      {"NamesMatchIgnoringCase", Basis::kWindows, "[Pet]\r\nLevel=1\r\n", {{"PET", "level", "2"}},
       {{"pet", "LEVEL", "2"}}, "[Pet]\r\nLevel=2\r\n"},
      {"FirstDuplicateSectionWritten", Basis::kWindows, "[s]\r\nk=1\r\n[s]\r\nk=2\r\n",
       {{"s", "k", "3"}}, {{"s", "k", "3"}}, "[s]\r\nk=3\r\n[s]\r\nk=2\r\n"},
      {"FirstDuplicateKeyWritten", Basis::kWindows, "[s]\r\nk=1\r\nk=2\r\n", {{"s", "k", "3"}},
       {{"s", "k", "3"}}, "[s]\r\nk=3\r\nk=2\r\n"},
      {"NamesWrittenTrimmed", Basis::kWindows, std::nullopt, {{" s ", " k ", "v"}},
       {{"s", "k", "v"}}, "[s]\r\nk=v\r\n", "[s ]\r\nk =v\r\n"},
      // What a write with an empty section name stores is left open: only an empty sender
      // number leads to one, and reads with an empty name give the empty text anyway.
      {"EmptySectionName", Basis::kWindows, "[s]\r\nk=1\r\n", {{"", "k", "2"}},
       {{"s", "k", "1"}}, "[s]\r\nk=1\r\n[]\r\nk=2\r\n", "k=2\r\n[s]\r\nk=1\r\n"},
      // Windows writes a line break inside a value as it is, and the rest becomes lines of its
      // own; our store stores the first line only, which is all that reads back on either.
      {"ValueCutAtLineBreak", Basis::kWindows, std::nullopt, {{"s", "k", "v\r\n[t]\r\nj=w"}},
       {{"s", "k", "v"}}, "[s]\r\nk=v\r\n", "[s]\r\nk=v\r\n[t]\r\nj=w\r\n"},
  };
}

void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.name; }

class ProfileWriteConformance : public testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWriteConformance, StoresAndReadsBack) {
  const WriteCase& c = GetParam();
  test_support::TempDir dir;
  const std::string path = CaseFile(dir);
  if (c.file) WriteFile(path, *c.file);
  for (const Write& write : c.writes) {
    EXPECT_TRUE(platform::WriteProfileString(path, write.section, write.key, write.value))
        << write.section << "/" << write.key;
  }
  for (const ReadBack& read : c.reads) {
    EXPECT_EQ(common::ReadProfileValue(path, read.section, read.key, "默认"), read.expected)
        << read.section << "/" << read.key << " on " << test_support::ProfileImplementationName();
  }
  switch (CurrentProfileImplementation()) {
    case ProfileImplementation::kOurs:
      if (c.our_bytes) {
        EXPECT_EQ(ReadFile(path), *c.our_bytes);
      }
      break;
    case ProfileImplementation::kWine:
      if (c.wine_bytes || c.our_bytes) {
        EXPECT_EQ(ReadFile(path), c.wine_bytes ? *c.wine_bytes : *c.our_bytes);
      }
      break;
    case ProfileImplementation::kWindows:
      break;  // not recorded
  }

}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWriteConformance, testing::ValuesIn(WriteCases()),
                         [](const testing::TestParamInfo<WriteCase>& param) {
                           return std::string(param.param.name);
                         });

// Writes never make directories: without the config directory nothing is stored anywhere and
// reads keep giving their defaults.
TEST(ProfileDirectories, WriteIntoAMissingDirectoryFailsAndMakesNothing) {
  test_support::TempDir dir;
  const std::string path = (dir.path() / "config" / "t.ini").string();
  EXPECT_FALSE(platform::WriteProfileString(path, "s", "k", "v"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "config"));
  EXPECT_EQ(common::ReadProfileValue(path, "s", "k", "默认"), "默认");
}

// The module's own file names are Chinese: the store reaches them through the native path
// (UTF-8 on Linux, GBK on Windows) and the content stays GBK.
TEST(ProfileDirectories, ChineseFileNameInTheConfigDirectory) {
  test_support::RunDirectoryFixture run;
  const std::string path = run.ProfilePath("宠物系统.ini");
  common::WriteProfileValue(path, "12345", "喂养次数", "1");
  EXPECT_EQ(common::ReadProfileValue(path, "12345", "喂养次数"), "1");
  EXPECT_EQ(ReadFile(path), "[12345]\r\n喂养次数=1\r\n");
}

}  // namespace
