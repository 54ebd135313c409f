// The system clock on POSIX: localtime_r and CLOCK_MONOTONIC.
#include <ctime>

#include "platform/clock.h"

namespace platform {
namespace {

class PosixClock final : public Clock {
 public:
  CalendarDate LocalDate() override {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  }
  std::uint32_t TickCountMs() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
  }
};

}  // namespace

Clock& SystemClock() {
  static PosixClock clock;
  return clock;
}

}  // namespace platform
