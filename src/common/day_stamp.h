// DayStamp: today's local date as year/month/day without leading zeros, e.g. "2014/1/5".
#pragma once

#include <string>

namespace common {

// Today's DayStamp from the current clock (platform::CurrentClock), worked out anew per call.
std::string DayStamp();

}  // namespace common
