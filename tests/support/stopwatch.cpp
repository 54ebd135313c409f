// Test support: the monotonic millisecond clock.
#include "stopwatch.h"

#include <chrono>

namespace test_support {

std::int64_t MonotonicMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace test_support
