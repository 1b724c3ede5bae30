// The one worker thread: its slot, the flag that keeps it running, the
// counters that pace its repaints, and its starting and stopping.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "engine/platform.h"

// One pacing counter per sort-worker entry; see sort_worker.h.
inline constexpr int SORT_ENTRY_COUNT = 4;

struct RunState {
    std::atomic<std::int32_t> running{0};
    std::atomic<std::uint16_t> refresh_counter{0};
    // Each entry's own count of iterations modulo 65,536. Only the running
    // entry touches its counter; a thread's end and the next start order the
    // accesses of successive runs.
    std::uint16_t iteration_counter[SORT_ENTRY_COUNT] = {};
};

struct WorkerSlot {
    std::thread thread;
};

extern RunState run_state;
extern WorkerSlot worker_slot;

// Sets `running`, starts `entry` on a new thread and keeps it in the slot.
// The slot must be empty; while a stop still waits for the old thread nothing
// is started. On failure the slot stays empty and `running` is 0. A worker
// that runs out of memory ends and clears `running`.
void start_worker(WorkerEntry entry);

// Clears `running` and waits for the worker to end; does nothing (and leaves
// `running` alone) when the slot is empty.
void stop_worker();

bool worker_is_running();

// True while a stop_worker call waits for the worker. The platform's wait may
// run other code on the waiting thread then; commands must be held back
// until it ends.
bool worker_stop_waiting();

// Puts the flag and the counters back to their start-up values (for tests
// that need a fresh process state). No worker may be running.
void reset_run_state();
