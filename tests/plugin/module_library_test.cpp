// The built plugin library as a robot host meets it: loaded by path, every export found by its
// GBK name, called with null arguments, replies kept until the export's next call.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/allocation.h"
#include "common/reply.h"
#include "plugin/descriptor.h"
#include "plugin/export_layer.h"
#include "platform/library.h"
#include "module_path.h"

namespace {

using Export0 = const char* (*)();
using Export1 = const char* (*)(const char*);
using Export3 = const char* (*)(const char*, const char*, const char*);
using Export5 = const char* (*)(const char*, const char*, const char*, const char*, const char*);

// The exports' names (GBK, by the execution character set) and their argument counts.
const std::map<std::string, int> kExports = {
    {"T人", 5},       {"info", 0},       {"猜大小", 5},     {"打工", 5},
    {"繁体到简体", 5}, {"功能表", 5},     {"获取昵称", 1},   {"简体到繁体", 5},
    {"取文本之间", 3}, {"去空格换行", 1}, {"时间格式化", 0}, {"喂养宠物", 5},
    {"信息查询", 5},   {"昵称获取", 5},
};

class ModuleLibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { library_ = platform::LoadLibraryAt(test_support::ModulePath()); }
  static void TearDownTestSuite() {
    platform::ReleaseLibrary(library_);
    library_ = nullptr;
  }

  template <typename Function>
  static Function Find(const std::string& name) {
    return reinterpret_cast<Function>(platform::FindFunction(library_, name.c_str()));
  }

  static platform::LibraryHandle library_;
};

platform::LibraryHandle ModuleLibraryTest::library_ = nullptr;

TEST_F(ModuleLibraryTest, ExportsEveryNameAsGbkBytes) {
  ASSERT_NE(library_, nullptr) << test_support::ModulePath();
  for (const auto& [name, arguments] : kExports) {
    EXPECT_NE(platform::FindFunction(library_, name.c_str()), nullptr) << arguments;
  }
  // The internal C++ names stay hidden.
  EXPECT_EQ(platform::FindFunction(library_, "CqpInfo"), nullptr);
}

TEST_F(ModuleLibraryTest, InfoReturnsTheDescriptor) {
  ASSERT_NE(library_, nullptr);
  EXPECT_EQ(std::string(Find<Export0>("info")()), plugin::DescriptorText());
}

TEST_F(ModuleLibraryTest, EveryExportButTheKickTakesNullArguments) {
  ASSERT_NE(library_, nullptr);
  for (const auto& [name, arguments] : kExports) {
    if (name == "T人" || name == "获取昵称" || name == "昵称获取") continue;  // need a host / network
    const char* reply = nullptr;
    switch (arguments) {
      case 0: reply = Find<Export0>(name)(); break;
      case 1: reply = Find<Export1>(name)(nullptr); break;
      case 3: reply = Find<Export3>(name)(nullptr, nullptr, nullptr); break;
      default: reply = Find<Export5>(name)(nullptr, nullptr, nullptr, nullptr, nullptr); break;
    }
    EXPECT_NE(reply, nullptr) << arguments;
  }
}

TEST_F(ModuleLibraryTest, ReplyStaysValidUntilTheSameExportIsCalledAgain) {
  ASSERT_NE(library_, nullptr);
  auto between = Find<Export3>("取文本之间");
  auto strip = Find<Export1>("去空格换行");
  const char* first = between("a[x]b", "[", "]");
  const std::string first_text = first;
  strip(" other export ");  // another export's call does not touch this reply
  EXPECT_EQ(std::string(first), first_text);
  const char* menu = Find<Export5>("功能表")(nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(Find<Export5>("功能表")("x", "y", "z", "w", "v"), menu);  // one constant text
}

// The one fatal path: a failed allocation ends the process with the error report instead of
// a crash or an exception thrown into the host.
TEST(FatalErrorTest, AllocationFailureEndsTheProcessWithTheReport) {
  EXPECT_EXIT(
      {
        test_support::DismissErrorBoxesInBackground();
        common::SetAllocationLimitForTesting(1 << 20);
        plugin::RunExport(plugin::Slot::kInfo,
                          [] { return common::Reply::Owned(std::string(2 << 20, 'x')); });
      },
      ::testing::ExitedWithCode(70), "");
}

}  // namespace
