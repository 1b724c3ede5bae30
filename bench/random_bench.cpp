// Generator draws per second: the program's source beside libstdc++'s
// std::mt19937, and the block-at-a-time stream the sort loop draws from.
#include <random>

#include <cstdlib>

#include "bench/bench_support.h"
#include "engine/draw_stream.h"
#include "engine/random.h"

namespace {

constexpr int DRAWS = 1 << 16;

void draw_random_words(benchmark::State& state) {
    seed_random(4357);
    for (auto _ : state) {
        std::uint32_t sum = 0;
        for (int i = 0; i < DRAWS; ++i) sum += draw_random();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * DRAWS);
}

void std_mt19937_words(benchmark::State& state) {
    std::mt19937 generator(4357);
    for (auto _ : state) {
        std::uint32_t sum = 0;
        for (int i = 0; i < DRAWS; ++i) sum += generator();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * DRAWS);
}

// The sort loop's way: a block of raw words at a time, tempered in one pass.
void draw_stream_words(benchmark::State& state) {
    seed_random(4357);
    DrawStream stream;
    open_draw_stream(stream);
    for (auto _ : state) {
        std::uint32_t sum = 0;
        for (int block = 0; block < DRAWS / RANDOM_STATE_WORDS + 1; ++block) {
            const std::uint32_t* words = next_draw_block(stream, stream.block);
            for (int k = 0; k < RANDOM_STATE_WORDS; ++k) sum += temper_random(words[k]);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * (DRAWS / RANDOM_STATE_WORDS + 1) * RANDOM_STATE_WORDS);
}

}  // namespace

BENCHMARK(draw_random_words);
BENCHMARK(std_mt19937_words);
BENCHMARK(draw_stream_words);
