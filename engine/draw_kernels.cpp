#include "engine/draw_kernels.h"

#include <cstring>
#include <initializer_list>

#include "engine/draw_loops.h"

// The baseline and AVX2 paths compile the scalar path's plain loops, only with
// the vectoriser and the instruction set the compiler may use; the kept-word
// gathering uses SSE2 directly where the target has it. Their results are the
// same bit for bit. Each is compiled only for a target that has it.
#if !defined(HUESIFT_NO_SIMD)
#define DRAW_KERNELS_BASELINE 1
#if defined(__SSE2__)
#define DRAW_KERNELS_SSE2 1
#include <emmintrin.h>
#endif
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define DRAW_KERNELS_AVX2 1
#endif
#endif

namespace {

DrawKernelPath forced_path = DRAW_PATH_AUTOMATIC;

#if defined(DRAW_KERNELS_BASELINE)

void regenerate_baseline(const std::uint32_t* old, std::uint32_t* fresh) { twist_random_block(old, fresh); }
void positions_small_baseline(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_SMALL>(words, positions, first);
}
void positions_big_baseline(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_BIG>(words, positions, first);
}

#if defined(DRAW_KERNELS_SSE2)

// SSE2 gathers the kept words of sixteen draws in one step: bit `pass` of
// each accept byte, moved to the top of its byte, where the byte mask collects
// it.
constexpr std::uint32_t SSE2_GROUP = 16;
static_assert(RANDOM_STATE_WORDS % SSE2_GROUP == 0 && PASS_BITS_WIDTH % SSE2_GROUP == 0);

template <int PASS>
PassBits kept_mask(__m128i accepts) {
    return static_cast<PassBits>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(accepts, 7 - PASS))));
}

void mark_kept_sse2(const std::uint8_t* accepts, PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS]) {
    std::memset(kept_by, 0, KEPT_PASSES * PASS_BITS_WORDS * sizeof(PassBits));
    for (std::uint32_t k = 0; k < RANDOM_STATE_WORDS; k += SSE2_GROUP) {
        const __m128i group = _mm_load_si128(reinterpret_cast<const __m128i*>(accepts + k));
        const std::uint32_t word = k / PASS_BITS_WIDTH;
        const std::uint32_t shift = k % PASS_BITS_WIDTH;
        kept_by[0][word] |= kept_mask<0>(group) << shift;
        kept_by[1][word] |= kept_mask<1>(group) << shift;
        kept_by[2][word] |= kept_mask<2>(group) << shift;
    }
}

constexpr auto mark_kept_baseline = mark_kept_sse2;
#else
void mark_kept_baseline(const std::uint8_t* accepts, PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS]) {
    gather_kept_bits(accepts, kept_by);
}
#endif

constexpr DrawKernels BASELINE_KERNELS{regenerate_baseline, positions_small_baseline, positions_big_baseline,
                                       mark_kept_baseline};

#endif  // DRAW_KERNELS_BASELINE

#if defined(DRAW_KERNELS_AVX2)

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

constexpr DrawKernels AVX2_KERNELS{regenerate_avx2, positions_small_avx2, positions_big_avx2, mark_kept_baseline};

bool has_avx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#endif  // DRAW_KERNELS_AVX2

// The forced path's kernels, or nullptr when this build has no such path or
// this processor cannot run it.
const DrawKernels* kernels_of(DrawKernelPath path) {
    switch (path) {
        case DRAW_PATH_SCALAR:
            return &SCALAR_DRAW_KERNELS;
        case DRAW_PATH_BASELINE:
#if defined(DRAW_KERNELS_BASELINE)
            return &BASELINE_KERNELS;
#else
            return nullptr;
#endif
        case DRAW_PATH_AVX2:
#if defined(DRAW_KERNELS_AVX2)
            return has_avx2() ? &AVX2_KERNELS : nullptr;
#else
            return nullptr;
#endif
        case DRAW_PATH_AUTOMATIC:
            break;
    }
    for (DrawKernelPath fastest : {DRAW_PATH_AVX2, DRAW_PATH_BASELINE})
        if (const DrawKernels* kernels = kernels_of(fastest)) return kernels;
    return &SCALAR_DRAW_KERNELS;
}

}  // namespace

const DrawKernels& choose_draw_kernels() { return *kernels_of(forced_path); }

bool force_draw_path(DrawKernelPath path) {
    if (!kernels_of(path)) return false;
    forced_path = path;
    return true;
}
