#include "engine/random.h"

#include <cstring>

RandomSource random_source;

namespace {
constexpr std::uint32_t FILL_MULTIPLIER = 69069;
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
    twist_random_block(old, fresh);
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
