// Member kick: the host API gets the group first and the member second, exactly as typed, and
// the reply always confirms. The host's library is our recording stand-in in the run directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "child_process.h"
#include "commands/kick.h"
#include "common/command.h"
#include "platform/library.h"
#include "plugin/host_api.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

class KickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::SetEnvironmentValue("CQP_CQAPI_RECORD", "");
    fs::copy_file(test_support::NativeBuildPath(CQP_TEST_CQAPI_FILE),
                  run_directory_.path() / platform::HostLibraryFileName());
  }
  // The library must be released before its directory can go.
  void TearDown() override { plugin::ReleaseHostApi(); }

  std::string Record() const {
    return test_support::ReadFile((run_directory_.path() / "kick-record.txt").string());
  }

  test_support::RunDirectoryFixture run_directory_;
};

TEST_F(KickTest, PassesGroupThenMemberAndConfirms) {
  struct Case {
    std::string group;
    std::string member;
  };
  const Case cases[] = {
      {"123456789", "10001"},
      {"123456789", ""},           // still asks the host, with an empty member
      {"123456789", "abc 张三"},    // not a number: passed on and repeated unchanged
      {"", "10001"},
  };
  std::string expected_record;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.member);
    common::CommandArgs args{c.member, "arg2", c.group, "sender", "arg5"};
    const common::Reply reply = commands::KickMember(args);
    EXPECT_FALSE(reply.is_constant());
    EXPECT_STREQ(reply.c_str(), ("[name]，T人成功，被T人：" + c.member).c_str());
    expected_record += c.group + "\t" + c.member + "\n";
    EXPECT_EQ(Record(), expected_record);
  }
}

}  // namespace
