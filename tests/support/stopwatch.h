// Test support: elapsed wall time, for tests that bound how long an operation may take.
// (Tests compiled with the GBK execution character set cannot include <chrono> itself.)
#pragma once

#include <cstdint>

namespace test_support {

// Milliseconds since an arbitrary fixed point, from a clock that never goes back.
std::int64_t MonotonicMilliseconds();

}  // namespace test_support
