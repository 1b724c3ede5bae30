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

inline constexpr int RANDOM_SHIFT_DISTANCE = 397;
inline constexpr std::uint32_t RANDOM_MATRIX_A = 0x9908B0DF;
inline constexpr std::uint32_t RANDOM_UPPER_BIT = 0x80000000;
inline constexpr std::uint32_t RANDOM_LOWER_BITS = 0x7FFFFFFF;

inline std::uint32_t twist_random(std::uint32_t far, std::uint32_t s0, std::uint32_t s1) {
    return far ^ (((s0 & RANDOM_UPPER_BIT) | (s1 & RANDOM_LOWER_BITS)) >> 1) ^ ((0u - (s1 & 1u)) & RANDOM_MATRIX_A);
}

// The body of regenerate_random_block, inlined where it is compiled for a
// particular processor. In the in-place pass every word from k = 227 on reads
// a word the pass has already renewed; here those reads go to `fresh`. Three
// runs, so no index needs a modulo and the first two vectorise.
[[gnu::always_inline]] inline void twist_random_block(const std::uint32_t* __restrict old,
                                                      std::uint32_t* __restrict fresh) {
    constexpr int N = RANDOM_STATE_WORDS;
    constexpr int M = RANDOM_SHIFT_DISTANCE;
    for (int k = 0; k < N - M; ++k) fresh[k] = twist_random(old[k + M], old[k], old[k + 1]);
    for (int k = N - M; k < N - 1; ++k) fresh[k] = twist_random(fresh[k + M - N], old[k], old[k + 1]);
    fresh[N - 1] = twist_random(fresh[M - 1], old[N - 1], fresh[0]);
}

inline constexpr std::uint32_t RANDOM_TEMPER_B = 0x9D2C5680;
inline constexpr std::uint32_t RANDOM_TEMPER_C = 0xEFC60000;

inline std::uint32_t temper_random(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & RANDOM_TEMPER_B;
    y ^= (y << 15) & RANDOM_TEMPER_C;
    return y ^ (y >> 18);
}
