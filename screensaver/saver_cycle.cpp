#include "screensaver/saver_cycle.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "engine/disorder.h"
#include "engine/image.h"
#include "engine/palette.h"
#include "engine/rotation.h"
#include "engine/run_state.h"
#include "engine/settle.h"
#include "engine/sort_worker.h"
#include "engine/surface.h"

namespace {

constexpr std::uint64_t ITERATIONS_PER_TICK = 65536;

enum Phase { PHASE_WAITING, PHASE_SORTING, PHASE_ROTATING, PHASE_ENDED };

struct Cycle {
    CycleTimings timings = NORMAL_TIMINGS;
    Phase phase = PHASE_WAITING;
    std::uint64_t phase_began_ms = 0;
    SettleWatch watch;
    std::uint64_t next_check = 0;  // iterations at which the disorder is measured next
    std::uint32_t last_seed = 0;
};

Cycle cycle;
// Written by the sort worker's repaints, read by the timer.
std::atomic<std::uint64_t> sort_repaints{0};

// The calendar time, but never the same seed twice in one run: two pictures
// started within one second still differ.
std::uint32_t fresh_seed() {
    const auto now = static_cast<std::uint32_t>(std::time(nullptr));
    cycle.last_seed = now > cycle.last_seed ? now : cycle.last_seed + 1;
    return cycle.last_seed;
}

SurfaceKind next_surface(SurfaceKind surface) {
    return surface >= SURFACE_TRIANGLE_INVERTED ? SURFACE_SQUARE : surface + 1;
}

void enter(Phase phase, std::uint64_t now_ms) {
    cycle.phase = phase;
    cycle.phase_began_ms = now_ms;
}

// A failed picture (no memory for the image or palette) leaves the screen
// black until the next picture is due, when it is tried again.
void start_picture(std::uint64_t now_ms) {
    stop_worker();
    if (cycle.phase == PHASE_ENDED) return;  // ended while the stop waited
    enter(PHASE_WAITING, now_ms);
    const std::int32_t size = sort_settings.image_size;
    set_image_geometry(static_cast<std::uint32_t>(size));
    if (!create_image(image_geometry.width, image_geometry.height)) return;
    if (!build_surface()) return;
    cycle.watch = SettleWatch{};
    cycle.next_check = settle_check_interval(image_geometry.pixel_count);
    sort_repaints.store(0, std::memory_order_relaxed);
    enter(PHASE_SORTING, now_ms);
    start_worker(choose_sort_entry(size, sort_settings.red_direction));
}

// Rotating no longer sorts: the sort worker is stopped before the pixels are
// tagged, and only the light rotation worker runs from here on.
void start_rotation(std::uint64_t now_ms) {
    stop_worker();
    if (cycle.phase == PHASE_ENDED) return;
    enter(PHASE_ROTATING, now_ms);
    if (!image_buffer.pixels || !palette) return;
    tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    start_worker(rotation_worker);
}

std::uint64_t sorted_iterations() {
    const auto interval = static_cast<std::uint64_t>(sort_settings.refresh_interval.load(std::memory_order_relaxed));
    return sort_repaints.load(std::memory_order_relaxed) * interval * ITERATIONS_PER_TICK;
}

// The engine's settle rule, measured at its own intervals of iterations as
// far as the timer's pace allows.
bool sort_has_settled() {
    const std::uint64_t done = sorted_iterations();
    if (done >= settle_iteration_cap(image_geometry.pixel_count)) return true;
    if (done < cycle.next_check) return false;
    cycle.next_check = done + settle_check_interval(image_geometry.pixel_count);
    const Disorder now =
        measure_disorder(image_buffer.pixels, image_geometry.width, image_geometry.height, sort_settings.red_direction);
    return settle_check(cycle.watch, now);
}

}  // namespace

CycleTimings choose_cycle_timings() {
    const char* fast = std::getenv(FAST_TIMINGS_VARIABLE);
    return fast && std::strcmp(fast, "1") == 0 ? FAST_TIMINGS : NORMAL_TIMINGS;
}

void cycle_begin(const CycleTimings& timings, std::uint64_t now_ms) {
    cycle.timings = timings;
    set_clock_source(fresh_seed);
    start_picture(now_ms);
}

void cycle_step(std::uint64_t now_ms) {
    const std::uint64_t elapsed = now_ms - cycle.phase_began_ms;
    switch (cycle.phase) {
        case PHASE_SORTING:
            if (elapsed >= cycle.timings.sort_limit_ms || sort_has_settled()) start_rotation(now_ms);
            break;
        case PHASE_ROTATING:
        case PHASE_WAITING:
            if (elapsed >= cycle.timings.rotation_ms) {
                sort_settings.surface = next_surface(sort_settings.surface);
                start_picture(now_ms);
            }
            break;
        case PHASE_ENDED:
            break;
    }
}

void cycle_count_repaint() { sort_repaints.fetch_add(1, std::memory_order_relaxed); }

void cycle_end() {
    cycle.phase = PHASE_ENDED;
    stop_worker();
}
