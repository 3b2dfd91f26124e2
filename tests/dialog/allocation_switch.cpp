#include "tests/dialog/allocation_switch.h"

#include <cstdlib>
#include <new>

namespace {

std::size_t failSize = 0;  // 0: the switch is off
int failed = 0;

void* Allocate(std::size_t size) {
  if (failSize != 0 && size == failSize) {
    failSize = 0;
    ++failed;
    return nullptr;
  }
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
  void* memory = Allocate(size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

void FailNextAllocationOf(std::size_t size) {
  failSize = size;
}

int FailedAllocations() {
  return failed;
}

// Every form of the plain operators is replaced, so that no block allocated
// by one allocator is freed by another.
void* operator new(std::size_t size) {
  return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
  return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
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
