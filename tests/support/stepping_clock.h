// Test support: a fake clock for the once-a-day games whose date a test sets, moves by whole
// days, or lets change in the middle of a call.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace test_support {

// Installed as the module's clock for its lifetime. Every date read is counted, so a test can
// make the date move on after a given number of reads: a call that runs across midnight.
class SteppingClock final : public platform::Clock {
 public:
  explicit SteppingClock(int year, int month, int day) : date_{year, month, day} {
    platform::SetClockForTesting(this);
  }
  ~SteppingClock() override { platform::SetClockForTesting(nullptr); }
  SteppingClock(const SteppingClock&) = delete;
  SteppingClock& operator=(const SteppingClock&) = delete;

  // Moves the date by `days` calendar days (negative: back), across months and years.
  void AdvanceDays(int days) {
    date_ = Shift(date_, days);
    pending_reads_ = -1;
  }

  // After `reads` more date reads, the date moves on by `days`.
  void AdvanceDaysAfterReads(int reads, int days) {
    pending_reads_ = reads;
    pending_days_ = days;
  }

  // Sets the date outright.
  void SetDate(platform::CalendarDate date) {
    date_ = date;
    pending_reads_ = -1;
  }

  int date_reads() const { return date_reads_; }

  platform::CalendarDate LocalDate() override {
    if (pending_reads_ == 0) {
      date_ = Shift(date_, pending_days_);
      pending_reads_ = -1;
    }
    if (pending_reads_ > 0) --pending_reads_;
    ++date_reads_;
    return date_;
  }

  std::uint32_t TickCountMs() override { return 0; }

 private:
  // Calendar arithmetic on the proleptic Gregorian calendar by day numbers (H. Hinnant's
  // days_from_civil and civil_from_days); <chrono> cannot be used here, since the tests are
  // compiled with GBK literals and <chrono> holds a literal that GBK cannot encode.
  static platform::CalendarDate Shift(platform::CalendarDate date, int days) {
    const long long y0 = date.year - (date.month <= 2 ? 1 : 0);
    const long long era0 = (y0 >= 0 ? y0 : y0 - 399) / 400;
    const long long yoe0 = y0 - era0 * 400;
    const long long doy0 = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const long long doe0 = yoe0 * 365 + yoe0 / 4 - yoe0 / 100 + doy0;
    const long long z = era0 * 146097 + doe0 + days;  // days since 1 March of year 0
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
  }

  platform::CalendarDate date_;
  int date_reads_ = 0;
  int pending_reads_ = -1;  // -1: no change pending
  int pending_days_ = 0;
};

}  // namespace test_support
