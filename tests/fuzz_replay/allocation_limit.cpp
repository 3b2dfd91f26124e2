// The replay's allocation limit, the same as the fuzzing runs' -malloc_limit_mb:
// an input of a few kilobytes that makes a target ask for more than this at
// once has made it trust a number the peer sent instead of the bytes it sent.
// Replaces the global operator new and delete of the replay programs only.
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kAllocationLimit = std::size_t{256} << 20;

void* Allocate(std::size_t size) {
  if (size > kAllocationLimit) {
    std::fprintf(stderr, "allocation of %zu bytes exceeds the replay's limit of %zu\n", size,
                 kAllocationLimit);
    std::abort();
  }
  void* memory = std::malloc(size == 0 ? 1 : size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

// Every form of the plain operators is replaced, so that no block allocated
// by one allocator is freed by another.
void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
