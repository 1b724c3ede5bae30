#include "engine/draw_kernels.h"

// Both paths compile the same plain loops; only the instruction set the
// compiler may use differs, so their results are the same bit for bit.

namespace {

template <std::uint32_t BOUND>
[[gnu::always_inline]] inline void temper_to_positions(const std::uint32_t* __restrict words,
                                                       std::uint32_t* __restrict positions, std::uint32_t first) {
    for (std::uint32_t k = first; k < RANDOM_STATE_WORDS; ++k) positions[k] = temper_random(words[k]) % BOUND;
}

void regenerate_baseline(const std::uint32_t* old, std::uint32_t* fresh) { twist_random_block(old, fresh); }
void positions_small_baseline(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_SMALL>(words, positions, first);
}
void positions_big_baseline(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_BIG>(words, positions, first);
}

[[gnu::target("avx2")]] void regenerate_avx2(const std::uint32_t* old, std::uint32_t* fresh) {
    twist_random_block(old, fresh);
}
[[gnu::target("avx2")]] void positions_small_avx2(const std::uint32_t* words, std::uint32_t* positions,
                                                  std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_SMALL>(words, positions, first);
}
[[gnu::target("avx2")]] void positions_big_avx2(const std::uint32_t* words, std::uint32_t* positions,
                                                std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_BIG>(words, positions, first);
}

constexpr DrawKernels BASELINE{regenerate_baseline, positions_small_baseline, positions_big_baseline};
constexpr DrawKernels AVX2{regenerate_avx2, positions_small_avx2, positions_big_avx2};

DrawKernelPath forced_path = DRAW_PATH_AUTOMATIC;

bool has_avx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

}  // namespace

const DrawKernels& choose_draw_kernels() {
    switch (forced_path) {
        case DRAW_PATH_BASELINE:
            return BASELINE;
        case DRAW_PATH_AVX2:
            return AVX2;
        case DRAW_PATH_AUTOMATIC:
            break;
    }
    return has_avx2() ? AVX2 : BASELINE;
}

bool force_draw_path(DrawKernelPath path) {
    if (path == DRAW_PATH_AVX2 && !has_avx2()) return false;
    forced_path = path;
    return true;
}
