// Heap and resident size on Windows: the C runtime's heap walked block by block, and the
// process's working set.
#include <windows.h>
#include <malloc.h>
#include <psapi.h>

#include "heap_usage.h"

namespace hardening {

std::optional<std::size_t> HeapBytesInUse() {
  _HEAPINFO entry{};
  std::size_t used = 0;
  int status = _HEAPOK;
  while ((status = _heapwalk(&entry)) == _HEAPOK) {
    if (entry._useflag == _USEDENTRY) used += entry._size;
  }
  if (status != _HEAPEND && status != _HEAPEMPTY) return std::nullopt;
  return used;
}

std::optional<std::size_t> ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return std::nullopt;
  return counters.WorkingSetSize;
}

}  // namespace hardening
