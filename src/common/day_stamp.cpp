// DayStamp: the local date written as "%d年%d月%d日" with the three date words then replaced.
#include "common/day_stamp.h"

#include <cstdio>
#include <optional>

#include "common/text.h"
#include "platform/clock.h"

namespace common {

std::string DayStamp() {
  const platform::CalendarDate date = platform::CurrentClock().LocalDate();
  // Room for three full 32-bit numbers and the three two-byte words.
  char formatted[48];
  std::snprintf(formatted, sizeof formatted, "%d年%d月%d日", date.year, date.month, date.day);
  std::string stamp = ReplaceText(formatted, "年", "/", std::nullopt, std::nullopt, true);
  stamp = ReplaceText(stamp, "月", "/", std::nullopt, std::nullopt, true);
  return ReplaceText(stamp, "日", "", std::nullopt, std::nullopt, true);
}

}  // namespace common
