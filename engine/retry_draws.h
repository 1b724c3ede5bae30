// The retry variant's first stage (512 images): which draws each pass keeps
// on the current image, and the turning of each block of the generator's
// words into whole iterations of kept draws, without reading a pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/draw_stream.h"

inline constexpr std::uint32_t RETRY_WIDTH = 512;
inline constexpr std::uint32_t RETRY_DRAW_BOUND = DRAW_BOUND_BIG;

// A block completes at most one iteration begun in the block before and a
// third of its own words.
inline constexpr std::uint32_t READY_ROOM = RANDOM_STATE_WORDS / 3 + 1;

// An iteration's three kept draws, and the number of words of the newest
// block drawn once its last draw is made: every ready iteration ends in that
// block.
struct KeptIteration {
    std::uint32_t red, blue, green;
    std::uint32_t end_index;
};

struct RetryDraws {
    DrawStream stream;
    // For each draw value, bit 0 (red), 1 (blue) and 2 (green) set when that
    // pass keeps it: its pair is two surface pixels and, for the diagonals,
    // it is not in column 0.
    std::vector<std::uint8_t> accept;
    std::uint32_t positions[RANDOM_STATE_WORDS];  // the block's words as draws
    alignas(16) std::uint8_t accepts[RANDOM_STATE_WORDS];
    PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS];  // per pass, the words of the block it would keep
    KeptIteration ready[READY_ROOM];                 // the iterations the newest block completed
    std::uint32_t ready_count = 0;
    std::uint32_t pass = 0;         // the pass the next kept draw belongs to
    std::uint32_t partial_red = 0;  // the kept draws of the iteration under way
    std::uint32_t partial_blue = 0;
};

// Builds the accept table from the image, takes over the generator and
// resolves the rest of its current block.
void open_retry_draws(RetryDraws& draws, const std::uint32_t* pixels);

// Makes the next block and resolves it, replacing the ready iterations.
// `keep` is the block of the oldest cursor close_draw_stream may still be
// given.
void resolve_next_block(RetryDraws& draws, std::uint32_t keep);
