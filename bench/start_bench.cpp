// Start's image work: create the image, draw the mask, seed and fill.
#include <cstdlib>

#include "bench/bench_support.h"
#include "engine/image.h"
#include "engine/picture.h"

namespace {

void start_image(benchmark::State& state) {
    const auto surface = static_cast<SurfaceKind>(state.range(0));
    make_bench_image(surface, 512);
    for (auto _ : state) {
        if (!make_picture({surface, 512, RED_UP, 20261207})) std::abort();
        benchmark::DoNotOptimize(image_buffer.pixels);
    }
}

}  // namespace

BENCHMARK(start_image)->Arg(SURFACE_SQUARE)->Arg(SURFACE_CIRCLE)->Arg(SURFACE_TRIANGLE)->Unit(benchmark::kMillisecond);
