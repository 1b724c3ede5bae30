// Sort iterations per second for each worker entry on every surface, with the
// block kernels this processor runs best and with the scalar ones, beside the
// plain reference loop on the same image. A case's argument is entry * 5 +
// surface (square, circle, torus, triangle, inverted triangle);
// scripts/lib/sort_table.py turns the medians into a table of ratios.
#include <vector>

#include "bench/bench_support.h"
#include "engine/draw_kernels.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/random.h"
#include "engine/sort_worker.h"
#include "tests/engine/reference_sort.h"

namespace {

constexpr std::uint64_t CHUNK = 1 << 20;

struct EntryInfo {
    SortEntryIndex index;
    std::int32_t size;
    bool retry;
    bool red_down;
};

constexpr EntryInfo ENTRY_INFO[] = {
    {SORT_SKIP_RED_DOWN, 256, false, true},
    {SORT_SKIP_RED_UP, 256, false, false},
    {SORT_RETRY_RED_DOWN, 512, true, true},
    {SORT_RETRY_RED_UP, 512, true, false},
};
constexpr SurfaceKind SURFACES[] = {SURFACE_SQUARE, SURFACE_CIRCLE, SURFACE_TORUS, SURFACE_TRIANGLE,
                                    SURFACE_TRIANGLE_INVERTED};
constexpr std::int64_t SURFACE_COUNT = sizeof(SURFACES) / sizeof(SURFACES[0]);
constexpr std::int64_t CASE_COUNT = 4 * SURFACE_COUNT;

const EntryInfo& entry_of(const benchmark::State& state) { return ENTRY_INFO[state.range(0) / SURFACE_COUNT]; }
SurfaceKind surface_of(const benchmark::State& state) { return SURFACES[state.range(0) % SURFACE_COUNT]; }

void run_shipped(benchmark::State& state, DrawKernelPath path) {
    const EntryInfo& entry = entry_of(state);
    make_bench_image(surface_of(state), entry.size);
    force_draw_path(path);
    for (auto _ : state) run_sort_iterations(entry.index, CHUNK);
    force_draw_path(DRAW_PATH_AUTOMATIC);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * CHUNK));
}

void shipped(benchmark::State& state) { run_shipped(state, DRAW_PATH_AUTOMATIC); }
void shipped_scalar(benchmark::State& state) { run_shipped(state, DRAW_PATH_SCALAR); }

void reference(benchmark::State& state) {
    const EntryInfo& entry = entry_of(state);
    make_bench_image(surface_of(state), entry.size);
    std::vector<std::uint32_t> pixels(image_buffer.pixels, image_buffer.pixels + image_geometry.pixel_count);
    std::uint32_t width = image_geometry.width;
    benchmark::DoNotOptimize(width);  // a runtime width, as in the plain loop
    for (auto _ : state) reference_sort(pixels, width, entry.retry, entry.red_down, CHUNK);
    benchmark::DoNotOptimize(pixels.data());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * CHUNK));
}

// The six pixel loads of each iteration at random positions, and nothing
// else: the floor under any loop that makes these exchanges.
void six_loads(benchmark::State& state) {
    const EntryInfo& entry = entry_of(state);
    make_bench_image(surface_of(state), entry.size);
    const std::uint32_t w = image_geometry.width;
    const std::uint32_t b = w * (w - 1);
    std::vector<std::uint32_t> positions(3 * CHUNK);
    seed_random(99);
    for (auto& r : positions) {
        r = draw_random() % b;
        if (r % w == 0) ++r;  // the diagonal passes never draw column 0
    }
    const std::uint32_t* pixels = image_buffer.pixels;
    for (auto _ : state) {
        std::uint32_t sum = 0;
        for (std::uint64_t i = 0; i < CHUNK; ++i) {
            const std::uint32_t red = positions[3 * i], blue = positions[3 * i + 1], green = positions[3 * i + 2];
            sum += pixels[red] + pixels[red + w] + pixels[blue] + pixels[blue + w - 1] + pixels[green - 1] +
                   pixels[green + w];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * CHUNK));
}

}  // namespace

BENCHMARK(shipped)->DenseRange(0, CASE_COUNT - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(shipped_scalar)->DenseRange(0, CASE_COUNT - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(reference)->DenseRange(0, CASE_COUNT - 1)->Unit(benchmark::kMillisecond);
// The skip entries on the circle, the retry entries on the triangle.
BENCHMARK(six_loads)->Arg(1 * SURFACE_COUNT + 1)->Arg(3 * SURFACE_COUNT + 3)->Unit(benchmark::kMillisecond);
