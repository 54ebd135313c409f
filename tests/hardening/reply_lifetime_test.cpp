// The lifetime of the texts the exports return, on the real exports: each allocated reply is
// released exactly once (the heap is back to where it was after unload's release, and a second
// release would be an AddressSanitizer report), at the moment the same export is called again;
// constant replies are never released.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "heap_usage.h"
#include "plugin/export_layer.h"
#include "plugin/exports.h"
#include "stepping_clock.h"
#include "temp_dir.h"

namespace {

struct OwnedReplyExport {
  const char* name;
  const char* (*call)(const std::string& text);
};

// Exports whose reply is an allocated text for these arguments, in slot order.
const std::vector<OwnedReplyExport> kOwnedReplyExports = {
    {"info", [](const std::string&) { return CqpInfo(); }},
    {"时间格式化", [](const std::string&) { return CqpDayStamp(); }},
    {"取文本之间", [](const std::string& t) { return CqpTextBetween(t.c_str(), "[", "]"); }},
    {"去空格换行", [](const std::string& t) { return CqpStripSpaces(t.c_str()); }},
    {"获取昵称", [](const std::string& t) { return CqpFetchNickname(t.c_str()); }},
    {"喂养宠物", [](const std::string& t) { return CqpFeedPet("", "", "", t.c_str(), ""); }},
    {"打工", [](const std::string& t) { return CqpWork("", "", "", t.c_str(), ""); }},
    {"简体到繁体", [](const std::string& t) { return CqpToTraditional(t.c_str(), "", "", "", ""); }},
    {"繁体到简体", [](const std::string& t) { return CqpToSimplified(t.c_str(), "", "", "", ""); }},
    {"昵称获取", [](const std::string& t) { return CqpNicknameLookup(t.c_str(), "", "", "", ""); }},
};

class ReplyLifetimeTest : public ::testing::Test {
 protected:
  void SetUp() override { plugin::ReleaseAllSlots(); }
  void TearDown() override { plugin::ReleaseAllSlots(); }

  // No config directory: the nickname exports find no service address and make no request,
  // and the games answer every call as a first one without a profile file the store could
  // keep in memory (which would blur the heap figures).
  test_support::RunDirectoryFixture run_{/*with_config_directory=*/false};
  test_support::SteppingClock clock_{2014, 3, 1};
};

TEST_F(ReplyLifetimeTest, EveryAllocatedReplyIsReleasedExactlyOnce) {
  // Once to let the runtime set up what it keeps, then measured.
  for (const auto& e : kOwnedReplyExports) e.call("[warm up]");
  plugin::ReleaseAllSlots();
  const auto before = hardening::HeapBytesInUse();
  if (!before) GTEST_SKIP() << "the heap cannot be measured on this platform";

  for (int round = 0; round < 3; ++round) {
    for (const auto& e : kOwnedReplyExports) {
      const std::string argument = "1000" + std::to_string(round) + "[x] y";
      ASSERT_NE(e.call(argument), nullptr) << e.name;
    }
  }
  plugin::ReleaseAllSlots();
  EXPECT_EQ(*hardening::HeapBytesInUse(), *before);
}

TEST_F(ReplyLifetimeTest, ConstantRepliesOutliveTheReleaseOfTheSlots) {
  const char* menu = CqpMenu(nullptr, nullptr, nullptr, nullptr, nullptr);
  const char* guess = CqpGuessNumber(nullptr, nullptr, nullptr, nullptr, nullptr);
  const std::string menu_text = menu;
  const std::string guess_text = guess;
  plugin::ReleaseAllSlots();
  EXPECT_EQ(std::string(menu), menu_text);
  EXPECT_EQ(std::string(guess), guess_text);
  EXPECT_EQ(CqpMenu("a", "b", "c", "d", "e"), menu);
  EXPECT_EQ(CqpGuessNumber(" ", nullptr, nullptr, nullptr, nullptr), guess);
}

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer a released block stays poisoned, so reading a reply after its release
// shows exactly when the release happened: not before the same export's next call has run its
// handler (the reply is still readable while it runs), and right after that call.
TEST_F(ReplyLifetimeTest, AReplyIsReleasedByTheNextCallOfTheSameExport) {
  for (const auto& e : kOwnedReplyExports) {
    EXPECT_DEATH(
        {
          const char* first = e.call("[first] 1");
          e.call("[second] 2");
          const volatile char byte = first[0];
          static_cast<void>(byte);
        },
        "heap-use-after-free")
        << e.name;
  }
}
#endif

}  // namespace
