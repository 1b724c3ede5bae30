#include "bench/bench_support.h"

#include <cstdlib>

#include "engine/image.h"
#include "engine/picture.h"

void make_bench_image(SurfaceKind surface, std::int32_t size, std::uint32_t seed) {
    open_drawing_context(nullptr);
    if (!make_picture({surface, size, RED_UP, seed})) std::abort();
}
