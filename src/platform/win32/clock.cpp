// The system clock on Windows: GetLocalTime and GetTickCount.
#include <windows.h>

#include "platform/clock.h"

namespace platform {
namespace {

class WindowsClock final : public Clock {
 public:
  CalendarDate LocalDate() override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
  }
  std::uint32_t TickCountMs() override { return GetTickCount(); }
};

}  // namespace

Clock& SystemClock() {
  static WindowsClock clock;
  return clock;
}

}  // namespace platform
