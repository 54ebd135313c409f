// Heap and resident size on Linux: the sanitizer allocator's own count when one is linked in,
// otherwise glibc's mallinfo2; /proc/self/statm for the resident size.
#include <malloc.h>
#include <unistd.h>

#include <fstream>

#include "heap_usage.h"

// Present only when a sanitizer runtime is linked in.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace hardening {

std::optional<std::size_t> HeapBytesInUse() {
  if (&__sanitizer_get_current_allocated_bytes != nullptr) {
    return __sanitizer_get_current_allocated_bytes();
  }
  return mallinfo2().uordblks;
}

std::optional<std::size_t> ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  std::size_t resident = 0;
  if (!(statm >> pages >> resident)) return std::nullopt;
  return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace hardening
