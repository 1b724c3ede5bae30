// The plain loops of the block work, shared by every path of the kernels:
// each path's file compiles them with its own instruction set and vectoriser
// settings, so all paths give the same results bit for bit.
#pragma once

#include <cstdint>

#include "engine/draw_kernels.h"

// positions[k] := temper(words[k]) mod BOUND, for k from `first` to 623.
template <std::uint32_t BOUND>
[[gnu::always_inline]] inline void temper_to_positions(const std::uint32_t* __restrict words,
                                                       std::uint32_t* __restrict positions, std::uint32_t first) {
    for (std::uint32_t k = first; k < RANDOM_STATE_WORDS; ++k) positions[k] = temper_random(words[k]) % BOUND;
}

// The same with BOUND = DRAW_BOUND_BIG, and accepts[k] := table[positions[k]].
[[gnu::always_inline]] inline void temper_to_accepts(const std::uint32_t* __restrict words,
                                                     std::uint32_t* __restrict positions,
                                                     std::uint8_t* __restrict accepts,
                                                     const std::uint8_t* __restrict table, std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_BIG>(words, positions, first);
#pragma GCC unroll 8
    for (std::uint32_t k = first; k < RANDOM_STATE_WORDS; ++k) accepts[k] = table[positions[k]];
}

// kept_by[pass] := the words whose accept byte has bit `pass` set, a machine
// word of bits at a time.
[[gnu::always_inline]] inline void gather_kept_bits(const std::uint8_t* __restrict accepts,
                                                    PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS]) {
    for (std::uint32_t word = 0; word < PASS_BITS_WORDS; ++word) {
        const std::uint32_t first = word * PASS_BITS_WIDTH;
        const std::uint32_t count =
            RANDOM_STATE_WORDS - first < PASS_BITS_WIDTH ? RANDOM_STATE_WORDS - first : PASS_BITS_WIDTH;
        PassBits bits[KEPT_PASSES] = {};
        for (std::uint32_t i = 0; i < count; ++i)
            for (std::uint32_t pass = 0; pass < KEPT_PASSES; ++pass)
                bits[pass] |= static_cast<PassBits>((accepts[first + i] >> pass) & 1u) << i;
        for (std::uint32_t pass = 0; pass < KEPT_PASSES; ++pass) kept_by[pass][word] = bits[pass];
    }
}
