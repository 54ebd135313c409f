// The module's allocator: every allocation either succeeds or ends in FatalErrorReport.
#pragma once

#include <cstddef>

namespace common {

// Allocates `size` bytes with malloc; on failure reports the size and ends the process.
void* AllocateOrDie(std::size_t size) noexcept;

// Makes every allocation larger than `limit` bytes fail (0 lifts the limit), so a test can
// drive the fatal path in a child process.
void SetAllocationLimitForTesting(std::size_t limit);

}  // namespace common
