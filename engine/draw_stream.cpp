#include "engine/draw_stream.h"

#include <cstring>

void open_draw_stream(DrawStream& stream) {
    if (random_source.left < 0) {
        // Never seeded: the first draw seeds with the default seed and
        // regenerates, exactly as draw_random would.
        fill_random_state(random_source.state, RANDOM_DEFAULT_SEED);
        random_source.left = 0;
    }
    std::memcpy(stream.raw[0], random_source.state, sizeof(random_source.state));
    stream.block = 0;
    stream.first_index = static_cast<std::uint32_t>(RANDOM_STATE_WORDS - random_source.left);
    stream.saved_block = 0xFFFFFFFF;
    stream.kernels = &choose_draw_kernels();
}

const std::uint32_t* next_draw_block(DrawStream& stream, std::uint32_t keep) {
    const std::uint32_t next = stream.block + 1;
    std::uint32_t* slot = stream.raw[next & 1];
    // The slot about to be reused holds block next - 2.
    if (keep + 2 == next) {
        std::memcpy(stream.saved, slot, sizeof(stream.saved));
        stream.saved_block = keep;
    }
    stream.kernels->regenerate(stream.raw[stream.block & 1], slot);
    stream.block = next;
    return slot;
}

void close_draw_stream(const DrawStream& stream, DrawCursor position) {
    const std::uint32_t* words = stream.block - position.block <= 1 ? stream.raw[position.block & 1] : stream.saved;
    std::memcpy(random_source.state, words, sizeof(random_source.state));
    random_source.left = static_cast<std::int32_t>(RANDOM_STATE_WORDS - position.index);
    random_source.next = static_cast<std::int32_t>(position.index);
}
