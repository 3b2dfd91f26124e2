// The replay's allocation limit, the same as the fuzzing runs' -malloc_limit_mb:
// an input of a few kilobytes that makes a target ask for more than this at
// once has made it trust a number the peer sent instead of the bytes it sent.
// The replay programs replace their operator new and delete with this rule.
#include <cstdio>
#include <cstdlib>

#include "tests/support/replaced_allocator.h"

namespace {

constexpr std::size_t kAllocationLimit = std::size_t{256} << 20;

}  // namespace

void* TestAllocation(std::size_t size) {
  if (size > kAllocationLimit) {
    std::fprintf(stderr, "allocation of %zu bytes exceeds the replay's limit of %zu\n", size,
                 kAllocationLimit);
    std::abort();
  }
  return std::malloc(size);
}
