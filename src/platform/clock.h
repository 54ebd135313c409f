// The clock facility: today's local date and the millisecond tick count, replaceable in tests.
#pragma once

#include <cstdint>

namespace platform {

struct CalendarDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

// A source of time. The module asks the current clock, never the system directly, so tests
// can move the date (the Chromium base::Clock / SimpleTestClock pattern).
class Clock {
 public:
  virtual ~Clock() = default;
  // The calendar date of the system clock converted to local time.
  virtual CalendarDate LocalDate() = 0;
  // Milliseconds since the system started; wraps around like the platform's tick count.
  virtual std::uint32_t TickCountMs() = 0;
};

// The system clock of this platform.
Clock& SystemClock();

// The clock the module uses: the system clock unless a test installed another one.
Clock& CurrentClock();

// Installs `clock` as the current clock; nullptr restores the system clock.
void SetClockForTesting(Clock* clock);

}  // namespace platform
