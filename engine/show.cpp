#include "engine/show.h"

#include <algorithm>

#include "engine/picture.h"
#include "engine/platform.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"

namespace {

struct Show {
    ShowTimings timings = SHOW_TIMINGS;
    ShowWorker worker = SHOW_ON_WORKER_THREAD;
    ShowPhase phase = SHOW_IDLE;
    std::uint64_t phase_began_ms = 0;
    std::uint64_t next_rotation_ms = 0;  // on the caller: when the next step is due
    SurfaceKind surface = DEFAULT_SURFACE;
    PictureSettle settle;
};

Show show;

// The seed of the last picture; kept from one show to the next, so that no
// two pictures of this process share a seed.
std::uint32_t last_seed = 0;
bool seed_used = false;

// The calendar time, but never a seed used before: two pictures started in
// the same second, or after the clock went back, still differ.
std::uint32_t fresh_seed() {
    const std::uint32_t now = clock_seconds();
    last_seed = !seed_used || now > last_seed ? now : last_seed + 1;
    seed_used = true;
    return last_seed;
}

SurfaceKind next_surface(SurfaceKind surface) {
    return surface >= SURFACE_TRIANGLE_INVERTED ? SURFACE_SQUARE : surface + 1;
}

void enter(ShowPhase phase, std::uint64_t now_ms) {
    show.phase = phase;
    show.phase_began_ms = now_ms;
}

// The rotation's pause after each step, as the rotation worker makes it.
std::uint64_t rotation_pause_ms() { return static_cast<std::uint64_t>(current_settings().rotation_delay / 2); }

// A picture that cannot be made (no memory for the image or the palette)
// leaves the show waiting for the next one, which is tried once the
// rotation's time has passed.
void start_picture(std::uint64_t now_ms) {
    stop_worker();
    // The stop may have waited while the platform served the front end, and
    // the front end may have ended the show meanwhile.
    if (show.phase == SHOW_IDLE) return;
    const SettingsValues settings = current_settings();
    const PictureRecipe recipe{show.surface, settings.image_size, settings.red_direction, fresh_seed()};
    show.settle = PictureSettle{};
    if (!make_picture(recipe)) {
        enter(SHOW_WAITING, now_ms);
        return;
    }
    enter(SHOW_SORTING, now_ms);
    if (show.worker == SHOW_ON_WORKER_THREAD) start_picture_sort();
}

// Rotating no longer sorts: the sort stops before the pixels are tagged.
void start_rotation(std::uint64_t now_ms) {
    stop_worker();
    if (show.phase == SHOW_IDLE) return;
    enter(SHOW_ROTATING, now_ms);
    if (show.worker == SHOW_ON_WORKER_THREAD) {
        start_picture_rotation();
        return;
    }
    tag_picture();
    rotate_picture_once();
    show.next_rotation_ms = now_ms + rotation_pause_ms();
}

// One step when it is due; a caller that comes late gets one step, not a
// burst, and the pause runs from it, as the rotation worker's sleep does.
bool rotate_if_due(std::uint64_t now_ms) {
    if (show.worker != SHOW_ON_CALLER || now_ms < show.next_rotation_ms) return false;
    rotate_picture_once();
    show.next_rotation_ms = now_ms + rotation_pause_ms();
    return true;
}

}  // namespace

void show_begin(const ShowTimings& timings, ShowWorker worker, std::uint64_t now_ms) {
    stop_worker();
    show = Show{};
    show.timings = timings;
    show.worker = worker;
    show.surface = current_settings().surface;
    enter(SHOW_WAITING, now_ms);  // until the first picture is made
    start_picture(now_ms);
}

bool show_step(std::uint64_t now_ms) {
    const std::uint64_t elapsed = now_ms - show.phase_began_ms;
    switch (show.phase) {
        case SHOW_SORTING:
            if (elapsed >= show.timings.sort_limit_ms || watch_picture_settle(show.settle, picture_iterations())) {
                start_rotation(now_ms);
                return show.worker == SHOW_ON_CALLER;
            }
            return false;
        case SHOW_ROTATING:
        case SHOW_WAITING:
            if (elapsed >= show.timings.rotation_ms) {
                show.surface = next_surface(show.surface);
                start_picture(now_ms);
                return true;
            }
            return show.phase == SHOW_ROTATING && rotate_if_due(now_ms);
        case SHOW_IDLE:
            return false;
    }
    return false;
}

bool show_sort(std::uint64_t iterations) {
    if (show.worker != SHOW_ON_CALLER || show.phase != SHOW_SORTING) return false;
    sort_picture(iterations);
    return true;
}

std::uint64_t show_next_step_ms(std::uint64_t now_ms) {
    switch (show.phase) {
        case SHOW_SORTING:
            return now_ms;
        case SHOW_ROTATING: {
            const std::uint64_t end = show.phase_began_ms + show.timings.rotation_ms;
            return show.worker == SHOW_ON_CALLER ? std::min(end, show.next_rotation_ms) : end;
        }
        case SHOW_WAITING:
            return show.phase_began_ms + show.timings.rotation_ms;
        case SHOW_IDLE:
            break;
    }
    return UINT64_MAX;
}

ShowPhase show_phase() { return show.phase; }

void show_end() {
    show.phase = SHOW_IDLE;
    stop_worker();
}
