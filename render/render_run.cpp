#include "render/render_run.h"

#include <algorithm>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/run_state.h"
#include "engine/settle.h"
#include "engine/sort_worker.h"
#include "engine/surface.h"

namespace {

// build_surface seeds from its clock; the run's seed is handed in through it.
std::uint32_t run_seed = 0;
std::uint32_t seed_clock() { return run_seed; }

SortEntryIndex entry_of(const RenderOptions& options) {
    return choose_sort_entry_index(options.size, options.red_direction);
}

CurvePoint measure(const RenderOptions& options, std::uint64_t iterations) {
    const auto side = static_cast<std::uint32_t>(options.size);
    return {iterations, measure_disorder(image_buffer.pixels, side, side, options.red_direction)};
}

}  // namespace

bool open_render_image(const RenderOptions& options, std::uint32_t seed) {
    if (!image_buffer.drawing_context && !open_drawing_context(nullptr)) return false;
    sort_settings.surface = options.surface;
    sort_settings.image_size = options.size;
    sort_settings.red_direction = options.red_direction;
    run_seed = seed;
    set_clock_source(seed_clock);
    set_image_geometry(static_cast<std::uint32_t>(options.size));
    const bool built = create_image(options.size, options.size) && build_surface();
    set_clock_source(nullptr);
    return built;
}

void close_render_image() { close_drawing_context(); }

SortOutcome run_render_sort(const RenderOptions& options, const std::function<void(const CurvePoint&)>& on_check) {
    const std::uint32_t count = image_geometry.pixel_count;
    const std::uint64_t interval = settle_check_interval(count);
    const std::uint64_t goal = options.until_settled ? settle_iteration_cap(count) : options.iterations;
    SortOutcome outcome;
    SettleWatch watch;
    for (;;) {
        const CurvePoint point = measure(options, outcome.iterations);
        outcome.curve.push_back(point);
        on_check(point);
        if (options.until_settled && settle_check(watch, point.disorder)) {
            outcome.settled = true;
            break;
        }
        if (outcome.iterations == goal) break;
        const std::uint64_t step = std::min(interval, goal - outcome.iterations);
        run_sort_iterations(entry_of(options), step);
        outcome.iterations += step;
    }
    return outcome;
}

void replay_render_sort(const RenderOptions& options, std::uint64_t total, int frames,
                        const std::function<bool(const std::uint32_t* pixels)>& on_frame) {
    std::uint64_t done = 0;
    for (int i = 0; i < frames; ++i) {
        // Rounded to the nearest; total is at most 10^12 and i at most 1000,
        // so the product fits.
        const auto last = static_cast<std::uint64_t>(frames - 1);
        const std::uint64_t target = (2 * total * static_cast<std::uint64_t>(i) + last) / (2 * last);
        run_sort_iterations(entry_of(options), target - done);
        done = target;
        if (!on_frame(image_buffer.pixels)) return;
    }
}

const std::uint32_t* render_pixels() { return image_buffer.pixels; }
const std::uint32_t* render_palette() { return palette; }
std::uint32_t render_pixel_count() { return image_geometry.pixel_count; }
