#include "screensaver/saver_cycle.h"

#include <cstdlib>
#include <cstring>

#include "engine/picture.h"
#include "engine/platform.h"
#include "engine/run_state.h"

namespace {

enum Phase { PHASE_WAITING, PHASE_SORTING, PHASE_ROTATING, PHASE_ENDED };

struct Cycle {
    CycleTimings timings = NORMAL_TIMINGS;
    Phase phase = PHASE_WAITING;
    std::uint64_t phase_began_ms = 0;
    PictureSettle settle;
    std::uint32_t last_seed = 0;
};

Cycle cycle;

// The calendar time, but never the same seed twice in one run: two pictures
// started within one second still differ.
std::uint32_t fresh_seed() {
    const std::uint32_t now = clock_seconds();
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
    if (!make_picture(recipe_from_settings(fresh_seed()))) return;
    cycle.settle = PictureSettle{};
    enter(PHASE_SORTING, now_ms);
    start_picture_sort();
}

// Rotating no longer sorts: the sort worker is stopped before the pixels are
// tagged, and only the light rotation worker runs from here on.
void start_rotation(std::uint64_t now_ms) {
    stop_worker();
    if (cycle.phase == PHASE_ENDED) return;
    enter(PHASE_ROTATING, now_ms);
    start_picture_rotation();
}

// The engine's settle rule, at its own intervals of iterations as far as the
// timer's pace allows.
bool sort_has_settled() { return watch_picture_settle(cycle.settle, picture_iterations()); }

}  // namespace

CycleTimings choose_cycle_timings() {
    const char* fast = std::getenv(FAST_TIMINGS_VARIABLE);
    return fast && std::strcmp(fast, "1") == 0 ? FAST_TIMINGS : NORMAL_TIMINGS;
}

void cycle_begin(const CycleTimings& timings, std::uint64_t now_ms) {
    cycle.timings = timings;
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

void cycle_end() {
    cycle.phase = PHASE_ENDED;
    stop_worker();
}
