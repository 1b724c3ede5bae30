#include "bench/bench_support.h"

#include "engine/image.h"
#include "engine/surface.h"

#include <cstdlib>

namespace {
std::uint32_t bench_seed = 0;
std::uint32_t bench_clock() { return bench_seed; }
}  // namespace

void make_bench_image(SurfaceKind surface, std::int32_t size, std::uint32_t seed) {
    open_drawing_context(nullptr);
    bench_seed = seed;
    set_clock_source(bench_clock);
    sort_settings.surface = surface;
    sort_settings.image_size = size;
    set_image_geometry(static_cast<std::uint32_t>(size));
    if (!create_image(size, size) || !build_surface()) std::abort();
}
