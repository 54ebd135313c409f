// The current clock: the system clock unless a test installed another one.
#include "platform/clock.h"

namespace platform {
namespace {

Clock* clock_for_testing = nullptr;

}  // namespace

Clock& CurrentClock() { return clock_for_testing != nullptr ? *clock_for_testing : SystemClock(); }

void SetClockForTesting(Clock* clock) { clock_for_testing = clock; }

}  // namespace platform
