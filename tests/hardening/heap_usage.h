// Test support for the memory checks: how much heap the process holds, and its resident size.
#pragma once

#include <cstddef>
#include <optional>

namespace hardening {

// Bytes of heap blocks currently allocated and not yet freed (the sanitizer's count when the
// program runs under AddressSanitizer or LeakSanitizer); nothing when the platform cannot tell.
std::optional<std::size_t> HeapBytesInUse();

// The process's resident memory in bytes; nothing when the platform cannot tell.
std::optional<std::size_t> ResidentBytes();

}  // namespace hardening
