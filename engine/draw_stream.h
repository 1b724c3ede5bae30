// The random source as the sort loop consumes it: the generator's words made a
// block of 624 at a time and tempered in one pass, with the position of every
// draw known, so the loop can resolve its draws ahead of the exchanges and
// still leave the process's generator exactly where its completed iterations
// left it.
#pragma once

#include <cstdint>

#include "engine/random.h"

struct DrawCursor {
    std::uint32_t block = 0;  // how many blocks were made since the stream opened
    std::uint32_t index = 0;  // words of that block handed out
};

struct DrawStream {
    std::uint32_t raw[2][RANDOM_STATE_WORDS];  // the last two blocks, untempered
    std::uint32_t tempered[RANDOM_STATE_WORDS];
    DrawCursor cursor;
    // Blocks before this one are no longer needed to restore the generator.
    std::uint32_t oldest_needed_block = 0;
};

// Takes over the process's generator where it stands (seeding it with the
// default seed when it never was).
void open_draw_stream(DrawStream& stream);

// Makes the next block; false when that would overwrite the block in which
// `oldest_needed_block` lies.
bool advance_draw_block(DrawStream& stream);

// Whether a word can be taken now, making the next block when the current
// one is used up.
inline bool draw_available(DrawStream& stream) {
    return stream.cursor.index < RANDOM_STATE_WORDS || advance_draw_block(stream);
}

// The next word; draw_available must have returned true.
inline std::uint32_t take_draw(DrawStream& stream) { return stream.tempered[stream.cursor.index++]; }

// Goes back to `position`, which must lie in one of the two blocks the stream
// still holds, so the words after it are handed out again.
void rewind_draw_stream(DrawStream& stream, DrawCursor position);

// Puts the process's generator at `position`, which must lie in one of the two
// blocks the stream still holds.
void close_draw_stream(const DrawStream& stream, DrawCursor position);
