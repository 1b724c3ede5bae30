#include "engine/retry_draws.h"

#include <bit>
#include <cstring>

namespace {

constexpr std::uint32_t W = IMAGE_SIZE_BIG;
constexpr std::uint32_t RED_PASS = 0;
constexpr std::uint32_t BLUE_PASS = 1;
constexpr std::uint32_t GREEN_PASS = 2;

// Background words never move during a sort (only two surface words are ever
// exchanged), so whether a pass keeps a draw holds for the whole run.
void build_accept_table(std::vector<std::uint8_t>& table, const std::uint32_t* pixels) {
    table.resize(DRAW_BOUND_BIG);
    for (std::uint32_t r = 0; r < DRAW_BOUND_BIG; ++r) {
        const bool column_ok = (r % W) != 0;
        const bool red = pixels[r] != 0 && pixels[r + W] != 0;
        const bool blue = column_ok && pixels[r] != 0 && pixels[r + W - 1] != 0;
        const bool green = column_ok && pixels[r - 1] != 0 && pixels[r + W] != 0;
        table[r] = static_cast<std::uint8_t>(red << RED_PASS | blue << BLUE_PASS | green << GREEN_PASS);
    }
}

// Finds the pass's next kept word after the walk's place, a machine word of
// bits at a time; false at the end of the block. `above` holds the places of
// the current word of bits the walk has not yet passed: for w, the lowest set
// bit kept, w ^ -w is exactly the bits above it.
struct Walk {
    std::uint32_t word = 0;
    std::uint32_t base = 0;  // the block's word at bit 0 of `word`
    PassBits above = ~PassBits(0);
    std::uint32_t at = 0;  // the word of the block last kept

    bool next_kept(const PassBits* bits) {
        PassBits w = bits[word] & above;
        if (w == 0) [[unlikely]] {
            w = next_word(bits);
            if (w == 0) return false;
        }
        above = w ^ (PassBits(0) - w);
        at = base + static_cast<std::uint32_t>(std::countr_zero(w));
        return true;
    }

    // The first later word of `bits` with a bit set, the walk moved onto it;
    // 0 when the block has none.
    PassBits next_word(const PassBits* bits) {
        while (++word < PASS_BITS_WORDS) {
            base += PASS_BITS_WIDTH;
            if (bits[word] != 0) return bits[word];
        }
        return 0;
    }
};

// Resolves words [first, 624) of the newest block. Each pass keeps the first
// word after the previous kept one that it accepts and redraws all before
// it, so the kept draws are the next set bit of red's set, then of blue's
// after it, then of green's, and round again: one step per kept draw, not
// per word.
void resolve_block(RetryDraws& draws, std::uint32_t first) {
    const std::uint32_t* words = current_draw_block(draws.stream);
    std::memset(draws.accepts, 0, first);
    draws.stream.kernels->accepts_big(words, draws.positions, draws.accepts, draws.accept.data(), first);
    draws.stream.kernels->mark_kept(draws.accepts, draws.kept_by);

    Walk walk;
    const std::uint32_t* positions = draws.positions;
    std::uint32_t red = draws.partial_red;
    std::uint32_t blue = draws.partial_blue;
    std::uint32_t pass = draws.pass;
    std::uint32_t count = 0;
    for (;;) {
        if (pass == RED_PASS) {
            if (!walk.next_kept(draws.kept_by[RED_PASS])) break;
            red = positions[walk.at];
            pass = BLUE_PASS;
        }
        if (pass == BLUE_PASS) {
            if (!walk.next_kept(draws.kept_by[BLUE_PASS])) break;
            blue = positions[walk.at];
            pass = GREEN_PASS;
        }
        if (!walk.next_kept(draws.kept_by[GREEN_PASS])) break;
        KeptIteration& ready = draws.ready[count++];
        ready.red = red;
        ready.blue = blue;
        ready.green = positions[walk.at];
        ready.end_index = walk.at + 1;
        pass = RED_PASS;
    }
    draws.pass = pass;
    draws.partial_red = red;
    draws.partial_blue = blue;
    draws.ready_count = count;
}

}  // namespace

void open_retry_draws(RetryDraws& draws, const std::uint32_t* pixels) {
    build_accept_table(draws.accept, pixels);
    open_draw_stream(draws.stream);
    draws.pass = RED_PASS;
    resolve_block(draws, draws.stream.first_index);
}

void resolve_next_block(RetryDraws& draws, std::uint32_t keep) {
    next_draw_block(draws.stream, keep);
    resolve_block(draws, 0);
}
