// The random source: known answers, seeding, block regeneration and a
// million draws against the standard library's MT19937.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "engine/random.h"

namespace {

// libstdc++'s own MT19937, loaded with the state our seeding makes and a
// position that makes its next call regenerate: an independent implementation
// of the same generator.
std::mt19937 independent_generator(std::uint32_t seed) {
    std::uint32_t state[RANDOM_STATE_WORDS];
    fill_random_state(state, seed);
    std::stringstream text;
    for (std::uint32_t word : state) text << word << ' ';
    text << RANDOM_STATE_WORDS;
    std::mt19937 generator;
    text >> generator;
    return generator;
}

}  // namespace

TEST(Random, KnownAnswersForTheDefaultSeed) {
    seed_random(4357);
    const std::uint32_t expected[] = {3510405877u, 4290933890u, 2191955339u, 564929546u, 152112058u};
    for (std::uint32_t value : expected) EXPECT_EQ(draw_random(), value);
}

TEST(Random, AnUnseededDrawActsAsTheDefaultSeed) {
    random_source.left = -1;
    EXPECT_EQ(draw_random(), 3510405877u);
    EXPECT_EQ(draw_random(), 4290933890u);
}

TEST(Random, SeedsDifferingInTheLowestBitGiveOneSequence) {
    for (std::uint32_t even : {0u, 2u, 4356u, 1700000000u, 0xFFFFFFFEu}) {
        std::vector<std::uint32_t> first(2000), second(2000);
        seed_random(even);
        for (auto& v : first) v = draw_random();
        seed_random(even + 1);
        for (auto& v : second) v = draw_random();
        EXPECT_EQ(first, second) << "seed " << even;
    }
}

TEST(Random, EachRegenerationServes624Draws) {
    seed_random(99);
    EXPECT_EQ(random_source.left, 0);
    draw_random();
    EXPECT_EQ(random_source.left, 623);
    EXPECT_EQ(random_source.next, 1);
    for (int i = 2; i <= 624; ++i) draw_random();
    EXPECT_EQ(random_source.left, 0);
    EXPECT_EQ(random_source.next, 624);
    const std::uint32_t word0_before = random_source.state[0];
    draw_random();  // draw 625
    EXPECT_EQ(random_source.left, 623);
    EXPECT_EQ(random_source.next, 1);
    EXPECT_NE(random_source.state[0], word0_before);
}

TEST(Random, MatchesAnIndependentMt19937ForAMillionDraws) {
    for (std::uint32_t seed : {4357u, 1u, 1765432109u, 0xFFFFFFFFu}) {
        std::mt19937 reference = independent_generator(seed);
        seed_random(seed);
        std::uint32_t first_mismatch = 0;
        for (std::uint32_t i = 1; i <= 1000000 && first_mismatch == 0; ++i)
            if (draw_random() != reference()) first_mismatch = i;
        EXPECT_EQ(first_mismatch, 0u) << "seed " << seed;
    }
}
