// What the platform lends the engine, as one record that each front end
// installs once: the repaint the workers call, the wait that keeps the
// user-interface thread serving while a worker stops, the starter of worker
// threads and the clock that seeds a new picture. Every service is handed
// the record's context, so a front end needs no global of its own to serve
// one. A service left empty has a plain default, so the engine also runs (and
// is tested) with no platform at all. The engine tells the user nothing
// itself: it reports what failed, and each front end words it.
#pragma once

#include <cstdint>
#include <thread>

using WorkerEntry = void (*)();

struct PlatformServices {
    void* context = nullptr;  // handed to every service below
    // Repaints the image rectangle and returns after the paint. Default: none.
    void (*repaint)(void* context) = nullptr;
    // Waits until `worker` has ended while the calling (user-interface)
    // thread keeps servicing the worker's repaint requests. Default: a join.
    void (*wait_for_worker)(void* context, std::thread& worker) = nullptr;
    // Starts a thread running `entry` into `worker`; false when none could be
    // started. Default: a std::thread.
    bool (*start_thread)(void* context, std::thread& worker, WorkerEntry entry) = nullptr;
    // The calendar time in seconds, truncated to 32 bits. Default: std::time.
    std::uint32_t (*clock_seconds)(void* context) = nullptr;
};

// Installs `services` in place of the last record. Only while no worker runs.
void install_platform(const PlatformServices& services);

// The record installed now (empty services stay empty here).
const PlatformServices& installed_platform();

// The services, each falling back on its default.
void request_repaint();
void wait_for_worker(std::thread& worker);
bool start_thread(std::thread& worker, WorkerEntry entry);
std::uint32_t clock_seconds();
