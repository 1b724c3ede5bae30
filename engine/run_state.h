// The process-wide records: the user's settings, the current image's geometry,
// the flags and counters shared with the worker thread, the one worker slot,
// and the repaint hook through which a worker gets the window repainted.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

using SurfaceKind = std::int32_t;
inline constexpr SurfaceKind SURFACE_SQUARE = 100;
inline constexpr SurfaceKind SURFACE_CIRCLE = 101;
inline constexpr SurfaceKind SURFACE_TORUS = 102;
inline constexpr SurfaceKind SURFACE_TRIANGLE = 103;
inline constexpr SurfaceKind SURFACE_TRIANGLE_INVERTED = 104;

inline constexpr std::int32_t IMAGE_SIZE_SMALL = 256;
inline constexpr std::int32_t IMAGE_SIZE_BIG = 512;
inline constexpr std::int32_t REFRESH_MORE = 4;
inline constexpr std::int32_t REFRESH_LESS = 16;
inline constexpr std::int32_t RED_UP = 0;
inline constexpr std::int32_t RED_DOWN = 1;

// The user's settings, as codes. refresh_interval and rotation_delay may be
// changed while a worker reads them, so they are atomic words.
struct SortSettings {
    SurfaceKind surface = SURFACE_CIRCLE;
    std::int32_t image_size = IMAGE_SIZE_SMALL;
    std::atomic<std::int32_t> refresh_interval{REFRESH_LESS};
    std::atomic<std::int32_t> rotation_delay{8};
    std::int32_t red_direction = RED_UP;
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

using WorkerEntry = void (*)();

// Starts a thread running `entry` into `worker`; false when no thread could be
// started. Replaceable so that a test can make the start fail.
using ThreadStarter = bool (*)(std::thread& worker, WorkerEntry entry);

// Waits until `worker` has ended while the calling (user-interface) thread
// keeps servicing the worker's repaint requests. Installed by the platform;
// without one, a plain join is used.
using WorkerWait = void (*)(std::thread& worker);

using RepaintOperation = void (*)();

struct WorkerSlot {
    std::thread thread;
};

extern SortSettings sort_settings;
extern ImageGeometry image_geometry;
extern RunState run_state;
extern WorkerSlot worker_slot;

// Sets `running`, starts `entry` on a new thread and keeps it in the slot.
// The slot must be empty. On failure the slot stays empty and `running` is 0.
void start_worker(WorkerEntry entry);

// Clears `running` and waits for the worker to end; does nothing (and leaves
// `running` alone) when the slot is empty.
void stop_worker();

bool worker_is_running();

void set_repaint_hook(RepaintOperation operation);
void request_repaint();

void set_thread_starter(ThreadStarter starter);  // nullptr restores the default
void set_worker_wait(WorkerWait wait);           // nullptr restores the plain join

// Sets the geometry for a square image of side n, as the Start command does.
void set_image_geometry(std::uint32_t n);

// Puts every record back to its start-up value (for tests that need a fresh
// process state). No worker may be running.
void reset_run_state();
