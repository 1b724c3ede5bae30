// Sort iterations per second for each worker entry, beside the plain
// reference loop on the same image: 256 entries on the circle, 512 entries on
// the triangle (the surface with the most background, where the retry variant
// redraws most).
#include <vector>

#include "bench/bench_support.h"
#include "engine/image.h"
#include "engine/random.h"
#include "engine/sort_worker.h"
#include "tests/engine/reference_sort.h"

namespace {

constexpr std::uint64_t CHUNK = 1 << 20;

struct EntryInfo {
    SortEntryIndex index;
    SurfaceKind surface;
    std::int32_t size;
    bool retry;
    bool red_down;
};

constexpr EntryInfo ENTRY_INFO[] = {
    {SORT_SKIP_RED_DOWN, SURFACE_CIRCLE, 256, false, true},
    {SORT_SKIP_RED_UP, SURFACE_CIRCLE, 256, false, false},
    {SORT_RETRY_RED_DOWN, SURFACE_TRIANGLE, 512, true, true},
    {SORT_RETRY_RED_UP, SURFACE_TRIANGLE, 512, true, false},
};

void shipped(benchmark::State& state) {
    const EntryInfo& entry = ENTRY_INFO[state.range(0)];
    make_bench_image(entry.surface, entry.size);
    for (auto _ : state) run_sort_iterations(entry.index, CHUNK);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * CHUNK));
}

void reference(benchmark::State& state) {
    const EntryInfo& entry = ENTRY_INFO[state.range(0)];
    make_bench_image(entry.surface, entry.size);
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
    const EntryInfo& entry = ENTRY_INFO[state.range(0)];
    make_bench_image(entry.surface, entry.size);
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

// Argument: 0 skip red down (256 circle), 1 skip red up (256 circle),
// 2 retry red down (512 triangle), 3 retry red up (512 triangle).
BENCHMARK(shipped)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(reference)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(six_loads)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
