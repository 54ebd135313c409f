// Allocation failure through the real exports: wherever a text cannot be allocated (an argument
// copy, a reply being built, the descriptor), the process ends with the fatal report naming
// the number of bytes, never with a crash or an exception thrown into the host.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "child_process.h"
#include "common/allocation.h"
#include "plugin/exports.h"
#include "temp_dir.h"

namespace {

struct Case {
  const char* what;
  std::size_t limit;
  std::function<void()> call;
  const char* report;  // a regular expression the report must match
};

TEST(AllocationFailureTest, EveryFailedAllocationEndsInTheFatalReport) {
  const std::string two_mebibytes(2 << 20, 'x');
  const std::string large_chinese(600'000, '\xC1');  // 300,000 two-byte characters
  const Case cases[] = {
      // The argument copy: the text and its terminating zero.
      {"argument copy", 1 << 20, [&] { CqpStripSpaces(two_mebibytes.c_str()); }, "2097153"},
      // The conversion reply, twice the parameter's length.
      {"reply", 1 << 20,
       [&] { CqpToTraditional(large_chinese.c_str(), nullptr, nullptr, nullptr, nullptr); },
       "内存不足"},
      {"descriptor", 256, [] { CqpInfo(); }, "内存不足"},
  };
  const bool boxes_readable = test_support::ErrorBoxesCanBeShown();
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          test_support::ReportErrorBoxesOnStandardError();
          common::SetAllocationLimitForTesting(c.limit);
          c.call();
        },
        ::testing::ExitedWithCode(70), boxes_readable ? c.report : "")
        << c.what;
  }
}

}  // namespace
