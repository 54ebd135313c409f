// The module's global allocation functions. A failed allocation anywhere in the module, in our
// code or in the standard library's, ends in FatalErrorReport naming the size, as the robot
// host expects of the module, instead of an exception that would cross into the host.
#include <cstdlib>
#include <new>

#include "common/allocation.h"
#include "common/fatal_error.h"

namespace common {
namespace {

std::size_t allocation_limit_for_testing = 0;  // 0: no limit

}  // namespace

void SetAllocationLimitForTesting(std::size_t limit) { allocation_limit_for_testing = limit; }

void* AllocateOrDie(std::size_t size) noexcept {
  if (size == 0) size = 1;
  void* block = nullptr;
  if (allocation_limit_for_testing == 0 || size <= allocation_limit_for_testing) {
    block = std::malloc(size);
  }
  if (block == nullptr) ReportAllocationFailure(size);
  return block;
}

}  // namespace common

void* operator new(std::size_t size) { return common::AllocateOrDie(size); }
void* operator new[](std::size_t size) { return common::AllocateOrDie(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return common::AllocateOrDie(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return common::AllocateOrDie(size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
