#include "engine/random.h"

#include <cstring>

RandomSource random_source;

namespace {
constexpr std::uint32_t FILL_MULTIPLIER = 69069;
constexpr int SHIFT_DISTANCE = 397;
constexpr std::uint32_t MATRIX_A = 0x9908B0DF;
constexpr std::uint32_t UPPER_BIT = 0x80000000;
constexpr std::uint32_t LOWER_BITS = 0x7FFFFFFF;

inline std::uint32_t twist(std::uint32_t far, std::uint32_t s0, std::uint32_t s1) {
    return far ^ (((s0 & UPPER_BIT) | (s1 & LOWER_BITS)) >> 1) ^ ((0u - (s1 & 1u)) & MATRIX_A);
}
}  // namespace

void fill_random_state(std::uint32_t state[RANDOM_STATE_WORDS], std::uint32_t seed) {
    std::uint32_t x = seed | 1u;
    state[0] = x;
    for (int k = 1; k < RANDOM_STATE_WORDS; ++k) {
        x *= FILL_MULTIPLIER;
        state[k] = x;
    }
}

void regenerate_random_state(std::uint32_t state[RANDOM_STATE_WORDS]) {
    std::uint32_t fresh[RANDOM_STATE_WORDS];
    regenerate_random_block(state, fresh);
    std::memcpy(state, fresh, sizeof(fresh));
}

void regenerate_random_block(const std::uint32_t* __restrict old, std::uint32_t* __restrict fresh) {
    // In the in-place pass every word from k = 227 on reads a word the pass
    // has already renewed; here those reads go to `fresh`. Three runs, so no
    // index needs a modulo and the first two vectorise.
    constexpr int N = RANDOM_STATE_WORDS;
    constexpr int M = SHIFT_DISTANCE;
    for (int k = 0; k < N - M; ++k) fresh[k] = twist(old[k + M], old[k], old[k + 1]);
    for (int k = N - M; k < N - 1; ++k) fresh[k] = twist(fresh[k + M - N], old[k], old[k + 1]);
    fresh[N - 1] = twist(fresh[M - 1], old[N - 1], fresh[0]);
}

void seed_random(std::uint32_t seed) {
    fill_random_state(random_source.state, seed);
    random_source.left = 0;
}

std::uint32_t draw_random() {
    RandomSource& source = random_source;
    if (--source.left >= 0) return temper_random(source.state[source.next++]);
    if (source.left < -1) fill_random_state(source.state, RANDOM_DEFAULT_SEED);
    regenerate_random_state(source.state);
    source.left = RANDOM_STATE_WORDS - 1;
    source.next = 1;
    return temper_random(source.state[0]);
}
