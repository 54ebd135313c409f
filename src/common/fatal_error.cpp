// FatalErrorReport and the module's allocation functions, which route every failed allocation
// to it: the host must see an error box, never a crash or an exception thrown into its code.
#include "common/fatal_error.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/fatal.h"

namespace common {
namespace {

std::atomic<bool> fatal_error_reported{false};

}  // namespace

void FatalErrorReport(std::string_view message) noexcept {
  fatal_error_reported = true;
  platform::ShowFatalErrorAndExit(message);
}

void ReportAllocationFailure(std::size_t byte_count) noexcept {
  // Formatting into a fixed buffer: the heap has just failed us.
  char message[128];
  std::snprintf(message, sizeof message, "内存不足，无法分配 %zu 字节。", byte_count);
  FatalErrorReport(message);
}

bool FatalErrorReported() noexcept { return fatal_error_reported; }

}  // namespace common
