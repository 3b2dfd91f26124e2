// A switch that makes one allocation fail, for the out-of-memory endings.
// allocation_switch.cpp is the test program's rule for the replaced operator
// new and delete (tests/support/replaced_allocator.h); link both.
#ifndef DATENSCHLEUSE_TESTS_DIALOG_ALLOCATION_SWITCH_H
#define DATENSCHLEUSE_TESTS_DIALOG_ALLOCATION_SWITCH_H

#include <cstddef>

// The next allocation of exactly size bytes fails (std::bad_alloc, or null
// for the nothrow forms); later ones succeed again.
void FailNextAllocationOf(std::size_t size);

// Allocations failed by the switch since the program started.
int FailedAllocations();

#endif  // DATENSCHLEUSE_TESTS_DIALOG_ALLOCATION_SWITCH_H
