#include "engine/worker.h"

#include <new>

RunState run_state;
WorkerSlot worker_slot;

namespace {

// The entry of the worker being started; one worker exists at a time.
WorkerEntry starting_entry = nullptr;

// A worker that runs out of memory ends as if it had never started, instead
// of taking the process down with an exception that leaves its thread.
void run_guarded_entry() {
    try {
        starting_entry();
    } catch (const std::bad_alloc&) {
        run_state.running.store(0, std::memory_order_relaxed);
    }
}

int stops_waiting = 0;  // user-interface thread only

}  // namespace

void start_worker(WorkerEntry entry) {
    // A thread still in the slot (only possible while a stop is waiting for
    // it) must not be overwritten: that would end the process.
    if (worker_slot.thread.joinable()) return;
    run_state.running.store(1, std::memory_order_relaxed);
    starting_entry = entry;
    if (!start_thread(worker_slot.thread, run_guarded_entry)) {
        worker_slot.thread = std::thread();
        run_state.running.store(0, std::memory_order_relaxed);
    }
}

void stop_worker() {
    if (!worker_slot.thread.joinable()) return;
    run_state.running.store(0, std::memory_order_relaxed);
    // The thread stays in the slot while the wait runs, so a stop entered
    // from inside the wait waits for the same thread, and nothing can start
    // another. Only the outermost stop joins, and only the thread it stopped.
    ++stops_waiting;
    wait_for_worker(worker_slot.thread);
    --stops_waiting;
    if (stops_waiting == 0 && worker_slot.thread.joinable()) worker_slot.thread.join();
}

bool worker_stop_waiting() { return stops_waiting > 0; }

bool worker_is_running() { return worker_slot.thread.joinable(); }

void reset_run_state() {
    run_state.running.store(0);
    run_state.refresh_counter.store(0);
    for (auto& counter : run_state.iteration_counter) counter = 0;
}
