#include "engine/draw_stream.h"

#include <cstring>

namespace {

constexpr int N = RANDOM_STATE_WORDS;

void temper_block(const std::uint32_t* raw, std::uint32_t* tempered) {
    for (int k = 0; k < N; ++k) tempered[k] = temper_random(raw[k]);
}

}  // namespace

void open_draw_stream(DrawStream& stream) {
    if (random_source.left < 0) {
        // Never seeded: the first draw seeds with the default seed and
        // regenerates, exactly as draw_random would.
        fill_random_state(random_source.state, RANDOM_DEFAULT_SEED);
        random_source.left = 0;
    }
    std::memcpy(stream.raw[0], random_source.state, sizeof(random_source.state));
    temper_block(stream.raw[0], stream.tempered);
    stream.cursor = DrawCursor{0, static_cast<std::uint32_t>(N - random_source.left)};
    stream.oldest_needed_block = 0;
}

bool advance_draw_block(DrawStream& stream) {
    if (stream.oldest_needed_block != stream.cursor.block) return false;
    const std::uint32_t next_block = stream.cursor.block + 1;
    std::uint32_t* state = stream.raw[next_block & 1];
    std::memcpy(state, stream.raw[stream.cursor.block & 1], sizeof(stream.raw[0]));
    regenerate_random_state(state);
    temper_block(state, stream.tempered);
    stream.cursor = DrawCursor{next_block, 0};
    return true;
}

void rewind_draw_stream(DrawStream& stream, DrawCursor position) {
    if (position.block != stream.cursor.block) temper_block(stream.raw[position.block & 1], stream.tempered);
    stream.cursor = position;
}

void close_draw_stream(const DrawStream& stream, DrawCursor position) {
    std::memcpy(random_source.state, stream.raw[position.block & 1], sizeof(random_source.state));
    random_source.left = static_cast<std::int32_t>(N - position.index);
    random_source.next = static_cast<std::int32_t>(position.index);
}
