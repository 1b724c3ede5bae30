// Zero-filled blocks of memory that the engine acquires at Start and releases
// at the next Start or at shutdown. Every block is counted, and a test can make
// an allocation of a given purpose fail.
#pragma once

#include <cstddef>

enum AllocationPurpose {
    ALLOC_IMAGE_HEADER,
    ALLOC_BITMAP,
    ALLOC_BITMAP_BITS,
    ALLOC_PALETTE,
    ALLOC_USE_COUNTS,
    ALLOC_PURPOSE_COUNT
};

// Returns a zero-filled block of `bytes` bytes, or nullptr when the memory
// cannot be had (or the failure gate refuses this purpose).
void* allocate_zeroed(std::size_t bytes, AllocationPurpose purpose);
void release_block(void* block);  // nullptr is ignored

// Number of blocks allocated and not yet released.
int blocks_in_use();

// Decides whether an allocation of `purpose` fails; nullptr: none fails.
using AllocationGate = bool (*)(AllocationPurpose purpose);
void set_allocation_gate(AllocationGate gate);
