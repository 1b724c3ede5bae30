// The random source as the sort loop consumes it: the generator's words a
// block of 624 at a time, every block numbered, so the loop can resolve its
// draws a block ahead of its exchanges and still leave the process's generator
// exactly where its last completed iteration left it.
#pragma once

#include <cstdint>

#include "engine/draw_kernels.h"
#include "engine/random.h"

struct DrawCursor {
    std::uint32_t block = 0;  // blocks made since the stream opened
    std::uint32_t index = 0;  // words of that block drawn
};

struct DrawStream {
    std::uint32_t raw[2][RANDOM_STATE_WORDS];  // blocks n and n - 1, untempered, in slot n & 1
    std::uint32_t saved[RANDOM_STATE_WORDS];   // an older block that a cursor still needs
    std::uint32_t saved_block = 0xFFFFFFFF;
    std::uint32_t block = 0;               // the newest block
    std::uint32_t first_index = 0;         // words of block 0 drawn before the stream opened
    const DrawKernels* kernels = nullptr;  // chosen when the stream opens
};

// Takes over the process's generator where it stands (seeding it with the
// default seed when it never was) and picks the block kernels for this
// processor. Block 0 is the generator's current state.
void open_draw_stream(DrawStream& stream);

// Makes the next block and returns its raw words. `keep` is the block of the
// oldest cursor that close_draw_stream may still be given; its words are kept.
const std::uint32_t* next_draw_block(DrawStream& stream, std::uint32_t keep);

inline const std::uint32_t* current_draw_block(const DrawStream& stream) { return stream.raw[stream.block & 1]; }

// Puts the process's generator at `position`, the cursor after the last draw
// that was really used.
void close_draw_stream(const DrawStream& stream, DrawCursor position);
