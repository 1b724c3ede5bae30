#include "engine/draw_kernels.h"

#include <bit>
#include <cstring>
#include <initializer_list>

#include "engine/draw_loops.h"

// The baseline and AVX2 paths compile the scalar path's plain loops, only with
// the vectoriser and the instruction set the compiler may use; the kept-word
// gathering uses SSE2 or WebAssembly SIMD directly where the target has it,
// and in WebAssembly the draw positions too, since the compiler leaves their
// remainder to one lane at a time there. Their results are the same bit for
// bit. Each is compiled only for a target that has it.
#if !defined(HUESIFT_NO_SIMD)
#define DRAW_KERNELS_BASELINE 1
#if defined(__wasm_simd128__)
#define DRAW_KERNELS_WASM_SIMD 1
#include <wasm_simd128.h>
#elif defined(__SSE2__)
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

#if defined(DRAW_KERNELS_WASM_SIMD)

// temper_random on four words.
v128_t temper_four(v128_t y) {
    const v128_t b = wasm_i32x4_splat(static_cast<std::int32_t>(RANDOM_TEMPER_B));
    const v128_t c = wasm_i32x4_splat(static_cast<std::int32_t>(RANDOM_TEMPER_C));
    y = wasm_v128_xor(y, wasm_u32x4_shr(y, 11));
    y = wasm_v128_xor(y, wasm_v128_and(wasm_i32x4_shl(y, 7), b));
    y = wasm_v128_xor(y, wasm_v128_and(wasm_i32x4_shl(y, 15), c));
    return wasm_v128_xor(y, wasm_u32x4_shr(y, 18));
}

// Four words mod BOUND. WebAssembly SIMD has no high half of a 32-bit
// product, so the quotient comes from single precision instead: with BOUND =
// ODD << SHIFT, the word shifted down by SHIFT fits a float's 24 bits
// exactly, and its product with 1 / ODD is the quotient within far less than
// a half (a relative error of at most about 2^-23 on at most 2^32 / BOUND).
// Adding 2^23, whose float unit is 1, rounds it to a whole number: the true
// quotient or one more, read back from the float's bits. The remainder it
// leaves is the true one or that less BOUND, which wraps to at least
// 2^32 - BOUND, so an unsigned minimum with the remainder plus BOUND keeps
// the true one.
template <std::uint32_t BOUND>
[[gnu::always_inline]] inline v128_t modulo_four(v128_t y) {
    constexpr std::uint32_t SHIFT = std::countr_zero(BOUND);
    constexpr std::uint32_t ODD = BOUND >> SHIFT;
    constexpr float ROUNDER = 8388608.0f;  // 2^23
    // Its bits; this C++ library has no std::bit_cast yet.
    constexpr std::int32_t ROUNDER_BITS = __builtin_bit_cast(std::int32_t, ROUNDER);
    static_assert((0xFFFFFFFFu >> SHIFT) < (1u << 24), "the shifted word must fit a float exactly");
    static_assert(BOUND > 1024, "the quotient must be below 2^22 and within a half of the truth");
    const v128_t bound = wasm_i32x4_splat(static_cast<std::int32_t>(BOUND));
    const v128_t high = wasm_f32x4_convert_i32x4(wasm_u32x4_shr(y, SHIFT));
    const v128_t rounded = wasm_f32x4_add(wasm_f32x4_mul(high, wasm_f32x4_splat(1.0f / static_cast<float>(ODD))),
                                          wasm_f32x4_splat(ROUNDER));
    const v128_t quotient = wasm_i32x4_sub(rounded, wasm_i32x4_splat(ROUNDER_BITS));
    const v128_t rest = wasm_i32x4_sub(y, wasm_i32x4_mul(quotient, bound));
    return wasm_u32x4_min(rest, wasm_i32x4_add(rest, bound));
}

void positions_small_baseline(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first) {
    std::uint32_t k = first;
    for (; k + 4 <= RANDOM_STATE_WORDS; k += 4)
        wasm_v128_store(positions + k, modulo_four<DRAW_BOUND_SMALL>(temper_four(wasm_v128_load(words + k))));
    for (; k < RANDOM_STATE_WORDS; ++k) positions[k] = temper_random(words[k]) % DRAW_BOUND_SMALL;
}

// The accept bytes are looked up from the vector's lanes, not read back
// from memory.
void accepts_big_baseline(const std::uint32_t* words, std::uint32_t* positions, std::uint8_t* accepts,
                          const std::uint8_t* table, std::uint32_t first) {
    std::uint32_t k = first;
    for (; k + 4 <= RANDOM_STATE_WORDS; k += 4) {
        const v128_t four = modulo_four<DRAW_BOUND_BIG>(temper_four(wasm_v128_load(words + k)));
        wasm_v128_store(positions + k, four);
        accepts[k] = table[wasm_u32x4_extract_lane(four, 0)];
        accepts[k + 1] = table[wasm_u32x4_extract_lane(four, 1)];
        accepts[k + 2] = table[wasm_u32x4_extract_lane(four, 2)];
        accepts[k + 3] = table[wasm_u32x4_extract_lane(four, 3)];
    }
    for (; k < RANDOM_STATE_WORDS; ++k) {
        positions[k] = temper_random(words[k]) % DRAW_BOUND_BIG;
        accepts[k] = table[positions[k]];
    }
}

#else

void positions_small_baseline(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_SMALL>(words, positions, first);
}
void accepts_big_baseline(const std::uint32_t* words, std::uint32_t* positions, std::uint8_t* accepts,
                          const std::uint8_t* table, std::uint32_t first) {
    temper_to_accepts(words, positions, accepts, table, first);
}

#endif

#if defined(DRAW_KERNELS_SSE2) || defined(DRAW_KERNELS_WASM_SIMD)

// Gathers the kept words of sixteen draws in one step: bit `pass` of each
// accept byte, moved to the top of its byte, where the byte mask collects it.
constexpr std::uint32_t GROUP = 16;
static_assert(RANDOM_STATE_WORDS % GROUP == 0 && PASS_BITS_WIDTH % GROUP == 0);

#if defined(DRAW_KERNELS_SSE2)
using AcceptGroup = __m128i;
AcceptGroup load_accepts(const std::uint8_t* accepts) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(accepts));
}
template <int PASS>
PassBits kept_mask(AcceptGroup accepts) {
    return static_cast<PassBits>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(accepts, 7 - PASS))));
}
#else
using AcceptGroup = v128_t;
AcceptGroup load_accepts(const std::uint8_t* accepts) { return wasm_v128_load(accepts); }
template <int PASS>
PassBits kept_mask(AcceptGroup accepts) {
    return static_cast<PassBits>(wasm_i8x16_bitmask(wasm_i16x8_shl(accepts, 7 - PASS)));
}
#endif

void mark_kept_baseline(const std::uint8_t* accepts, PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS]) {
    std::memset(kept_by, 0, KEPT_PASSES * PASS_BITS_WORDS * sizeof(PassBits));
    for (std::uint32_t k = 0; k < RANDOM_STATE_WORDS; k += GROUP) {
        const AcceptGroup group = load_accepts(accepts + k);
        const std::uint32_t word = k / PASS_BITS_WIDTH;
        const std::uint32_t shift = k % PASS_BITS_WIDTH;
        kept_by[0][word] |= kept_mask<0>(group) << shift;
        kept_by[1][word] |= kept_mask<1>(group) << shift;
        kept_by[2][word] |= kept_mask<2>(group) << shift;
    }
}

#else
void mark_kept_baseline(const std::uint8_t* accepts, PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS]) {
    gather_kept_bits(accepts, kept_by);
}
#endif

constexpr DrawKernels BASELINE_KERNELS{regenerate_baseline, positions_small_baseline, accepts_big_baseline,
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
[[gnu::target("avx2")]] void accepts_big_avx2(const std::uint32_t* words, std::uint32_t* positions,
                                              std::uint8_t* accepts, const std::uint8_t* table, std::uint32_t first) {
    temper_to_accepts(words, positions, accepts, table, first);
}

constexpr DrawKernels AVX2_KERNELS{regenerate_avx2, positions_small_avx2, accepts_big_avx2, mark_kept_baseline};

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
