// The block work of the sort's random source: regenerating the generator's
// 624 words and turning them into draw positions. A baseline path runs on
// every SSE2 processor; an AVX2 path, the same loops compiled for AVX2, is
// chosen once when a worker starts on a processor that has it.
#pragma once

#include <cstdint>

#include "engine/random.h"

inline constexpr std::uint32_t DRAW_BOUND_SMALL = 256 * 255;  // a 256 image's W x (H - 1)
inline constexpr std::uint32_t DRAW_BOUND_BIG = 512 * 511;    // a 512 image's

struct DrawKernels {
    // As regenerate_random_block.
    void (*regenerate)(const std::uint32_t* old, std::uint32_t* fresh);
    // positions[k] := temper(words[k]) mod the bound, for k from `first` to 623.
    void (*positions_small)(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first);
    void (*positions_big)(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first);
};

enum DrawKernelPath { DRAW_PATH_AUTOMATIC, DRAW_PATH_BASELINE, DRAW_PATH_AVX2 };

// The kernels for a worker starting now: the fastest this processor runs,
// unless a path has been forced.
const DrawKernels& choose_draw_kernels();

// Forces one path for the workers started after it (DRAW_PATH_AUTOMATIC
// returns to the processor's best); the seam through which tests run every
// path. False, and nothing changed, when this processor cannot run it.
bool force_draw_path(DrawKernelPath path);
