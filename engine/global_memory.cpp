#include "engine/global_memory.h"

#include <atomic>
#include <cstdlib>

namespace {
std::atomic<int> live_blocks{0};
AllocationGate allocation_gate = nullptr;
}  // namespace

void* allocate_zeroed(std::size_t bytes, AllocationPurpose purpose) {
    if (allocation_gate && allocation_gate(purpose)) return nullptr;
    void* block = std::calloc(bytes ? bytes : 1, 1);
    if (block) live_blocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void release_block(void* block) {
    if (!block) return;
    std::free(block);
    live_blocks.fetch_sub(1, std::memory_order_relaxed);
}

int blocks_in_use() { return live_blocks.load(std::memory_order_relaxed); }

void set_allocation_gate(AllocationGate gate) { allocation_gate = gate; }
