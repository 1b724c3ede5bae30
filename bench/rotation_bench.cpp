// A rotation step and the tagging before it, on a 512 circle.
#include "bench/bench_support.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/palette.h"
#include "engine/rotation.h"

namespace {

void rotation_step(benchmark::State& state) {
    make_bench_image(SURFACE_CIRCLE, 512);
    tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    for (auto _ : state) rotate_palette(palette, image_buffer.pixels, image_geometry.pixel_count);
    state.SetItemsProcessed(state.iterations());
}

void tagging(benchmark::State& state) {
    make_bench_image(SURFACE_CIRCLE, 512);
    for (auto _ : state) tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(rotation_step)->Unit(benchmark::kMicrosecond);
BENCHMARK(tagging)->Unit(benchmark::kMicrosecond);
