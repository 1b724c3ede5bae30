// The process's one pseudo-random source: MT19937 with the 69069
// linear-congruential fill as its seeding. Not thread-safe: the
// user-interface thread uses it only while no worker runs, a sort worker only
// while it runs.
#pragma once

#include <cstdint>

inline constexpr int RANDOM_STATE_WORDS = 624;
inline constexpr std::uint32_t RANDOM_DEFAULT_SEED = 4357;

struct RandomSource {
    std::uint32_t state[RANDOM_STATE_WORDS];
    std::int32_t left = -1;  // -1: never seeded
    std::int32_t next = 0;
};

extern RandomSource random_source;

void seed_random(std::uint32_t seed);
std::uint32_t draw_random();

// Fills `state` with the 69069 sequence that starts at `seed` OR 1.
void fill_random_state(std::uint32_t state[RANDOM_STATE_WORDS], std::uint32_t seed);

// Recomputes all 624 words, as one regeneration of the generator does.
void regenerate_random_state(std::uint32_t state[RANDOM_STATE_WORDS]);
// The same, from the words of `old` into `fresh` (two distinct arrays).
void regenerate_random_block(const std::uint32_t* old, std::uint32_t* fresh);

inline std::uint32_t temper_random(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    return y ^ (y >> 18);
}
