// The global operator new and delete of a test program, replaced so that the
// program decides which allocations succeed. Linking replaced_allocator.cpp
// replaces every form of the plain operators; the program defines
// TestAllocation once, with its own rule.
#ifndef DATENSCHLEUSE_TESTS_SUPPORT_REPLACED_ALLOCATOR_H
#define DATENSCHLEUSE_TESTS_SUPPORT_REPLACED_ALLOCATOR_H

#include <cstddef>

// Memory for size bytes (never 0), or null when the allocation is to fail:
// the throwing forms then throw std::bad_alloc, the nothrow forms return
// null. Blocks are freed with std::free.
void* TestAllocation(std::size_t size);

#endif  // DATENSCHLEUSE_TESTS_SUPPORT_REPLACED_ALLOCATOR_H
