#include "tests/dialog/allocation_switch.h"

#include <cstdlib>

#include "tests/support/replaced_allocator.h"

namespace {

std::size_t failSize = 0;  // 0: the switch is off
int failed = 0;

}  // namespace

void* TestAllocation(std::size_t size) {
  if (failSize != 0 && size == failSize) {
    failSize = 0;
    ++failed;
    return nullptr;
  }
  return std::malloc(size);
}

void FailNextAllocationOf(std::size_t size) {
  failSize = size;
}

int FailedAllocations() {
  return failed;
}
