// What the benchmarks share: the benchmark interface (Google Benchmark, or
// its stand-in in the Windows build) and a seeded image made as Start makes it.
#pragma once

#include <cstdint>

#ifdef HUESIFT_MINI_BENCHMARK
#include "bench/mini_benchmark.h"
#else
#include <benchmark/benchmark.h>
#endif

#include "engine/settings.h"

// Opens the drawing context once and builds a seeded image of `surface` and
// `size`, as Start does before the worker starts.
void make_bench_image(SurfaceKind surface, std::int32_t size, std::uint32_t seed = 20261207);
