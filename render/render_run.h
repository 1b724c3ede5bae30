// A run of the window program's sort without a window: the same image build,
// seeding and sort entry, driven on the calling thread with the disorder
// measured at regular checks.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/disorder.h"
#include "engine/picture_recipe.h"
#include "render/options.h"

// Opens the engine's drawing context and makes the picture of `recipe`, as
// Start does. False when the engine cannot make it.
bool open_render_image(const PictureRecipe& recipe);

// Releases the image, the palette and the drawing context.
void close_render_image();

struct CurvePoint {
    std::uint64_t iterations = 0;
    Disorder disorder;
};

struct SortOutcome {
    std::uint64_t iterations = 0;
    bool settled = false;           // stopped by the settling rule (not by the cap)
    std::vector<CurvePoint> curve;  // the disorder at every check, from the start on
};

// Sorts the open image: options.iterations iterations, or until settled (see
// engine/settle.h). `on_check` is told of every check as it is made.
SortOutcome run_render_sort(const RenderOptions& options, const std::function<void(const CurvePoint&)>& on_check);

// Sorts the open image (fresh from open_render_image) on to `total`
// iterations, calling `on_frame` with the pixels at iterations
// round(i x total / (frames - 1)) for i = 0 ... frames - 1.
void replay_render_sort(std::uint64_t total, int frames,
                        const std::function<bool(const std::uint32_t* pixels)>& on_frame);

// The open image's pixels and palette.
const std::uint32_t* render_pixels();
const std::uint32_t* render_palette();
std::uint32_t render_pixel_count();
