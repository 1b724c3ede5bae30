#include "render/render_run.h"

#include <algorithm>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/picture.h"
#include "engine/image_geometry.h"

bool open_render_image(const PictureRecipe& recipe) {
    if (!image_buffer.drawing_context && !open_drawing_context(nullptr)) return false;
    return make_picture(recipe).made;
}

void close_render_image() { close_drawing_context(); }

SortOutcome run_render_sort(const RenderOptions& options, const std::function<void(const CurvePoint&)>& on_check) {
    const std::uint64_t interval = settle_check_interval(image_geometry.pixel_count);
    const std::uint64_t goal =
        options.until_settled ? settle_iteration_cap(image_geometry.pixel_count) : options.iterations;
    SortOutcome outcome;
    PictureSettle settle;
    for (;;) {
        // Every check interval and at the goal; a run to settling stops
        // exactly at the engine's checks.
        CurvePoint point{outcome.iterations, {}};
        if (options.until_settled) {
            outcome.settled = watch_picture_settle(settle, outcome.iterations) && settle.settled;
            point.disorder = settle.last;
        } else {
            point.disorder = measure_picture();
        }
        outcome.curve.push_back(point);
        on_check(point);
        if (outcome.settled || outcome.iterations == goal) break;
        const std::uint64_t step = std::min(interval - outcome.iterations % interval, goal - outcome.iterations);
        sort_picture(step);
        outcome.iterations += step;
    }
    return outcome;
}

void replay_render_sort(std::uint64_t total, int frames,
                        const std::function<bool(const std::uint32_t* pixels)>& on_frame) {
    std::uint64_t done = 0;
    for (int i = 0; i < frames; ++i) {
        // Rounded to the nearest; total is at most 10^12 and i at most 1000,
        // so the product fits.
        const auto last = static_cast<std::uint64_t>(frames - 1);
        const std::uint64_t target = (2 * total * static_cast<std::uint64_t>(i) + last) / (2 * last);
        sort_picture(target - done);
        done = target;
        if (!on_frame(image_buffer.pixels)) return;
    }
}

const std::uint32_t* render_pixels() { return image_buffer.pixels; }
const std::uint32_t* render_palette() { return palette; }
std::uint32_t render_pixel_count() { return image_geometry.pixel_count; }
