// The process-wide records: the user's settings, the current image's geometry,
// the flags and counters shared with the worker thread, and the one worker
// slot with the starting and stopping of its worker.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "engine/platform.h"
#include "engine/settings.h"

// The user's settings, as codes. refresh_interval and rotation_delay may be
// changed while a worker reads them, so they are atomic words.
struct SortSettings {
    SurfaceKind surface = DEFAULT_SURFACE;
    std::int32_t image_size = DEFAULT_IMAGE_SIZE;
    std::atomic<std::int32_t> refresh_interval{DEFAULT_REFRESH_INTERVAL};
    std::atomic<std::int32_t> rotation_delay{DEFAULT_ROTATION_DELAY};
    std::int32_t red_direction = DEFAULT_RED_DIRECTION;
};

struct ImageRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Changed only while no worker runs. Before the first Start it describes a
// 512 x 512 image with an empty rectangle: nothing to show yet.
struct ImageGeometry {
    std::uint32_t width = 512;
    std::uint32_t height = 512;
    std::uint32_t pixel_count = 512 * 512;
    std::uint32_t byte_size = 512 * 512 * 4;
    ImageRect image_rect{};
};

// One pacing counter per sort-worker entry; see sort_worker.h.
inline constexpr int SORT_ENTRY_COUNT = 4;

struct RunState {
    std::atomic<std::int32_t> running{0};
    std::int32_t rotation_on = 0;     // user-interface thread only
    std::int32_t params_changed = 0;  // user-interface thread only
    std::atomic<std::uint16_t> refresh_counter{0};
    // Each entry's own count of iterations modulo 65,536. Only the running
    // entry touches its counter; a thread's end and the next start order the
    // accesses of successive runs.
    std::uint16_t iteration_counter[SORT_ENTRY_COUNT] = {};
};

struct WorkerSlot {
    std::thread thread;
};

extern SortSettings sort_settings;
extern ImageGeometry image_geometry;
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

// Sets the geometry for a square image of side n, as the Start command does.
void set_image_geometry(std::uint32_t n);

// The settings as plain codes, and all five stored at once. The two live
// words may be stored while a worker runs; the rest only while none does.
SettingsValues current_settings();
void apply_settings(const SettingsValues& values);

// Puts every record back to its start-up value (for tests that need a fresh
// process state). No worker may be running.
void reset_run_state();
