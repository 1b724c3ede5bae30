// The block work of the sort's random source, the one place that holds
// processor-specific code: regenerating the generator's 624 words, turning
// them into draw positions (for the retry variant, with the byte that says
// which passes keep each), and gathering which words each pass of the retry
// variant keeps. A scalar path runs on any processor; a baseline path is the
// same work vectorised for the whole target (with SSE2 on x86, with SIMD128
// in WebAssembly); an AVX2 path, on x86 only, is chosen when a worker starts
// on a processor that has it. A build with HUESIFT_NO_SIMD keeps the scalar
// path alone.
#pragma once

#include <cstdint>

#include "engine/random.h"
#include "engine/settings.h"

// A sort draws the upper pixel of a pair: any pixel above the image's last
// row, W x (H - 1) of them.
constexpr std::uint32_t draw_bound(std::int32_t side) {
    return static_cast<std::uint32_t>(side) * static_cast<std::uint32_t>(side - 1);
}
inline constexpr std::uint32_t DRAW_BOUND_SMALL = draw_bound(IMAGE_SIZE_SMALL);
inline constexpr std::uint32_t DRAW_BOUND_BIG = draw_bound(IMAGE_SIZE_BIG);

// Bit sets over the words of a block, a machine word at a time. WebAssembly
// has 64-bit words of its own, which its engines keep in single registers on
// the 64-bit processors that run nearly all of them; half as many words to
// step over shortens the walk over the kept draws.
#if defined(__wasm__)
using PassBits = std::uint64_t;
#else
using PassBits = std::uintptr_t;
#endif
inline constexpr std::uint32_t PASS_BITS_WIDTH = sizeof(PassBits) * 8;
inline constexpr std::uint32_t PASS_BITS_WORDS = (RANDOM_STATE_WORDS + PASS_BITS_WIDTH - 1) / PASS_BITS_WIDTH;
inline constexpr std::uint32_t KEPT_PASSES = 3;  // red, blue, green: bits 0, 1 and 2 of an accept byte

struct DrawKernels {
    // As regenerate_random_block.
    void (*regenerate)(const std::uint32_t* old, std::uint32_t* fresh);
    // positions[k] := temper(words[k]) mod the small bound, for k from
    // `first` to 623.
    void (*positions_small)(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first);
    // The same with the big bound, and accepts[k] := table[positions[k]]
    // (table holds DRAW_BOUND_BIG bytes).
    void (*accepts_big)(const std::uint32_t* words, std::uint32_t* positions, std::uint8_t* accepts,
                        const std::uint8_t* table, std::uint32_t first);
    // kept_by[pass] := the set of words k of the block whose accept byte has
    // bit `pass` set, for all 624 bytes of `accepts` (16-byte aligned).
    void (*mark_kept)(const std::uint8_t* accepts, PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS]);
};

enum DrawKernelPath { DRAW_PATH_AUTOMATIC, DRAW_PATH_SCALAR, DRAW_PATH_BASELINE, DRAW_PATH_AVX2 };

// The kernels for a worker starting now: the fastest this build runs on this
// processor, unless a path has been forced.
const DrawKernels& choose_draw_kernels();

// Forces one path for the workers started after it (DRAW_PATH_AUTOMATIC
// returns to the fastest); the seam through which tests run every path. False,
// and nothing changed, when this build or this processor cannot run it.
bool force_draw_path(DrawKernelPath path);

// The scalar path, compiled in its own file without the vectoriser.
extern const DrawKernels SCALAR_DRAW_KERNELS;
