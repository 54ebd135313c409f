// A long run of every export that works offline (all but the two nickname exports and the
// member kick): the heap the module holds does not grow with the number of calls, and once the
// ResultSlots are released it is back where it started. Run under AddressSanitizer or
// LeakSanitizer, the end of the program also reports any block that was never freed.
// CQP_LONG_RUN_CALLS sets the number of calls of each export (default 5,000; the memory check
// of tools/test-all.sh runs 100,000).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "heap_usage.h"
#include "plugin/export_layer.h"
#include "plugin/exports.h"
#include "stepping_clock.h"
#include "temp_dir.h"

namespace {

long CallsPerExport() {
  const char* setting = std::getenv("CQP_LONG_RUN_CALLS");
  const long calls = setting != nullptr ? std::atol(setting) : 5'000;
  return calls > 0 ? calls : 5'000;
}

struct Export {
  const char* name;
  std::function<const char*(long)> call;
};

// Each call gets arguments of its own, so replies and argument copies vary in size.
std::vector<Export> OfflineExports() {
  auto text = [](long i) { return std::to_string(i) + " 龙体[x]\r\n\\r國" + std::string(i % 64, 'a'); };
  auto five = [text](auto function) {
    return [text, function](long i) {
      const std::string parameter = text(i);
      return function(parameter.c_str(), "", "12345", i % 7 == 0 ? "20002" : "10001", nullptr);
    };
  };
  return {
      {"info", [](long) { return CqpInfo(); }},
      {"时间格式化", [](long) { return CqpDayStamp(); }},
      {"取文本之间",
       [text](long i) { return CqpTextBetween(text(i).c_str(), i % 2 ? "[" : "龙", "]"); }},
      {"去空格换行", [text](long i) { return CqpStripSpaces(text(i).c_str()); }},
      {"喂养宠物", five(CqpFeedPet)},
      {"信息查询", five(CqpPetInfo)},
      {"打工", five(CqpWork)},
      {"猜大小", five(CqpGuessNumber)},
      {"简体到繁体", five(CqpToTraditional)},
      {"繁体到简体", five(CqpToSimplified)},
      {"功能表", five(CqpMenu)},
  };
}

TEST(LongRunTest, HeapDoesNotGrowOverManyCallsOfEveryExport) {
  test_support::RunDirectoryFixture run;
  test_support::WriteFile(run.ProfilePath("宠物系统.ini"),
                          "[等级设置]\r\n等级1=蛋\r\n等级2=幼崽\r\n等级10=神话\r\n");
  test_support::WriteFile(run.ProfilePath("工作配置.ini"), "[称号配置]\r\n称号1=新手\r\n");
  test_support::SteppingClock clock(2014, 1, 1);
  const std::vector<Export> exports = OfflineExports();
  const long calls = CallsPerExport();

  // Warm up: whatever the module or the runtime allocates once, it allocates here.
  for (long i = 0; i < 3; ++i) {
    for (const Export& e : exports) ASSERT_NE(e.call(i), nullptr) << e.name;
  }
  plugin::ReleaseAllSlots();
  const auto heap_before = hardening::HeapBytesInUse();
  const auto resident_before = hardening::ResidentBytes();

  // Halfway the slots are released once, so that the heap can be compared with the end: the
  // profile store keeps the few files it uses in memory, and these grow by a few bytes as the
  // counts do, while a leak grows with every call.
  std::optional<std::size_t> heap_halfway;
  std::optional<std::size_t> heap_full;
  for (long i = 0; i < calls; ++i) {
    // A new day now and then, so the daily games write as well as refuse.
    if (i % 1000 == 999) clock.AdvanceDays(1);
    for (const Export& e : exports) {
      const char* reply = e.call(i);
      if (reply == nullptr) FAIL() << e.name << " returned null at call " << i;
    }
    if (i == calls / 2) {
      plugin::ReleaseAllSlots();
      heap_halfway = hardening::HeapBytesInUse();
    }
  }
  heap_full = hardening::HeapBytesInUse();
  plugin::ReleaseAllSlots();
  const auto heap_after = hardening::HeapBytesInUse();
  const auto resident_after = hardening::ResidentBytes();

  std::printf("calls per export: %ld (%zu exports)\n", calls, exports.size());
  if (heap_before && heap_halfway && heap_after) {
    std::printf("heap in use: %zu bytes after warm-up, %zu halfway, %zu at the end with the slots "
                "full, %zu after their release\n",
                *heap_before, *heap_halfway, *heap_full, *heap_after);
    // 8 KiB of slack for the stored counts' extra digits; a leak of one block per call in any
    // export would be at least 16 bytes times half the calls.
    EXPECT_LE(*heap_after, *heap_halfway + 8 * 1024);
    EXPECT_LE(*heap_after, *heap_before + 16 * 1024);
  } else {
    std::printf("heap in use: not measurable on this platform\n");
  }
  if (resident_before && resident_after) {
    std::printf("resident: %zu KiB before, %zu KiB after\n", *resident_before / 1024,
                *resident_after / 1024);
  }
}

}  // namespace
