#include "engine/run_state.h"

#include <new>

SortSettings sort_settings;
ImageGeometry image_geometry;
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

void set_image_geometry(std::uint32_t n) {
    image_geometry.width = n;
    image_geometry.height = n;
    image_geometry.pixel_count = n * n;
    image_geometry.byte_size = n * n * 4;
    image_geometry.image_rect = ImageRect{0, 0, static_cast<std::int32_t>(n), static_cast<std::int32_t>(n)};
}

SettingsValues current_settings() {
    return {sort_settings.surface, sort_settings.image_size,
            sort_settings.refresh_interval.load(std::memory_order_relaxed),
            sort_settings.rotation_delay.load(std::memory_order_relaxed), sort_settings.red_direction};
}

void apply_settings(const SettingsValues& values) {
    sort_settings.surface = values.surface;
    sort_settings.image_size = values.image_size;
    sort_settings.refresh_interval.store(values.refresh_interval, std::memory_order_relaxed);
    sort_settings.rotation_delay.store(values.rotation_delay, std::memory_order_relaxed);
    sort_settings.red_direction = values.red_direction;
}

void reset_run_state() {
    apply_settings(SettingsValues{});
    image_geometry = ImageGeometry{};
    run_state.running.store(0);
    run_state.rotation_on = 0;
    run_state.params_changed = 0;
    run_state.refresh_counter.store(0);
    for (auto& counter : run_state.iteration_counter) counter = 0;
}
