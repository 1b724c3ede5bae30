#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/global_memory.h"
#include "engine/palette.h"
#include "engine/random.h"
#include "tests/engine/test_support.h"

namespace {

class PaletteTest : public EngineTest {
protected:
    std::uint32_t counts[PALETTE_SIZE] = {};
    void SetUp() override {
        EngineTest::SetUp();
        set_image_geometry(256);
        ASSERT_EQ(build_palette(), PALETTE_SIZE);
        use_counts = counts;
    }
    void TearDown() override {
        use_counts = nullptr;
        release_palette();
        EngineTest::TearDown();
    }
    // What draw_random() mod 90 gives next, without disturbing the source.
    static std::vector<int> next_choices(int how_many) {
        const RandomSource saved = random_source;
        std::vector<int> choices;
        for (int i = 0; i < how_many; ++i) choices.push_back(static_cast<int>(draw_random() % PALETTE_SIZE));
        random_source = saved;
        return choices;
    }
    int index_of(std::uint32_t colour) const {
        for (int i = 0; i < PALETTE_SIZE; ++i)
            if (palette[i] == colour) return i;
        return -1;
    }
};

bool fails_palette(AllocationPurpose purpose) { return purpose == ALLOC_PALETTE; }

// The picker written out plainly, pass by pass: the oracle for the shipped one.
int reference_pick(std::uint32_t* counts, int n, std::uint32_t pixel_count) {
    std::uint32_t largest = 0, smallest = pixel_count;
    int largest_index = -1, smallest_index = -1;
    for (int i = 0; i < n; ++i) {
        if (counts[i] > largest) {
            largest = counts[i];
            largest_index = i;
        }
        if (counts[i] < smallest) {
            smallest = counts[i];
            smallest_index = i;
        }
    }
    int at_smallest = 0, at_largest = 0;
    for (int i = 0; i < n; ++i) at_smallest += counts[i] == smallest;
    int chosen;
    if (at_smallest == 1) {
        chosen = smallest_index;
    } else {
        for (int i = 0; i < n; ++i) at_largest += counts[i] == largest;
        if (at_largest == 1) {
            do chosen = static_cast<int>(draw_random() % n);
            while (chosen == largest_index);
        } else {
            chosen = static_cast<int>(draw_random() % n);
        }
    }
    ++counts[chosen];
    return chosen;
}

}  // namespace

TEST_F(PaletteTest, HoldsNinetyDistinctSaturatedColoursAroundTheWheel) {
    const std::pair<int, std::uint32_t> landmarks[] = {
        {0, 0xFF0000},  {1, 0xFF0100},  {2, 0xFF0200},  {3, 0xFF0400},  {14, 0xFFFE00}, {15, 0xFFFF00},
        {16, 0xFEFF00}, {17, 0xFCFF00}, {28, 0x02FF00}, {29, 0x01FF00}, {30, 0x00FF00}, {31, 0x00FF01},
        {44, 0x00FFFE}, {45, 0x00FFFF}, {46, 0x00FEFF}, {59, 0x0001FF}, {60, 0x0000FF}, {61, 0x0100FF},
        {74, 0xFE00FF}, {75, 0xFF00FF}, {76, 0xFF00FE}, {77, 0xFF00FC}, {88, 0xFF0002}, {89, 0xFF0001}};
    for (auto [index, colour] : landmarks) EXPECT_EQ(palette[index], colour) << "entry " << index;

    std::set<std::uint32_t> distinct(palette, palette + PALETTE_SIZE);
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(PALETTE_SIZE));
    for (int i = 0; i < PALETTE_SIZE; ++i) {
        EXPECT_NE(palette[i] & 0xFFFFFF, 0u);
        EXPECT_EQ(palette[i] >> 24, 0u) << "tag of entry " << i;
        // Saturated: one channel full, one empty.
        const std::uint32_t c[3] = {palette[i] >> 16 & 0xFF, palette[i] >> 8 & 0xFF, palette[i] & 0xFF};
        EXPECT_TRUE(std::count(c, c + 3, 255u) >= 1 && std::count(c, c + 3, 0u) >= 1) << i;
    }
}

TEST_F(PaletteTest, AFailedAllocationLeavesNoPalette) {
    release_palette();
    set_allocation_gate(fails_palette);
    EXPECT_EQ(build_palette(), 0);
    EXPECT_EQ(palette, nullptr);
}

TEST_F(PaletteTest, WithAllCountsEqualThePickIsTheNextDrawModNinety) {
    seed_random(31337);
    for (std::uint32_t level : {0u, 7u}) {
        std::fill(std::begin(counts), std::end(counts), level);
        const int expected = next_choices(1)[0];
        EXPECT_EQ(index_of(pick_colour(PALETTE_SIZE)), expected);
        EXPECT_EQ(counts[expected], level + 1);
    }
}

TEST_F(PaletteTest, ALoneLeastUsedEntryIsChosenWithoutDrawing) {
    seed_random(5);
    for (int lagging : {0, 41, 89}) {
        std::fill(std::begin(counts), std::end(counts), 3u);
        counts[lagging] = 2;
        const RandomSource before = random_source;
        EXPECT_EQ(index_of(pick_colour(PALETTE_SIZE)), lagging);
        EXPECT_TRUE(same_source(before, random_source)) << "the pick drew";
        EXPECT_EQ(counts[lagging], 3u);
    }
}

TEST_F(PaletteTest, ALoneMostUsedEntryIsRedrawnUntilAnotherComes) {
    // Make the lone most-used entry the one the next draw would give, so the
    // picker must draw again.
    seed_random(2024);
    const std::vector<int> upcoming = next_choices(8);
    const int leader = upcoming[0];
    std::fill(std::begin(counts), std::end(counts), 4u);
    counts[leader] = 5;
    int expected = -1;
    int draws = 0;
    for (int choice : upcoming) {
        ++draws;
        if (choice != leader) {
            expected = choice;
            break;
        }
    }
    ASSERT_NE(expected, -1);
    EXPECT_EQ(index_of(pick_colour(PALETTE_SIZE)), expected);
    // The source moved on by exactly the draws the rule needed.
    const RandomSource after = random_source;
    seed_random(2024);
    for (int i = 0; i < draws; ++i) draw_random();
    EXPECT_TRUE(same_source(after, random_source));
}

TEST_F(PaletteTest, AWholeBigFillPicksAsThePlainPickerDoes) {
    set_image_geometry(512);
    std::uint32_t reference_counts[PALETTE_SIZE] = {};
    std::vector<int> expected;
    seed_random(1700000001);
    for (int i = 0; i < 512 * 512; ++i) expected.push_back(reference_pick(reference_counts, PALETTE_SIZE, 512 * 512));
    seed_random(1700000001);
    int mismatches = 0;
    for (int i = 0; i < 512 * 512; ++i) mismatches += index_of(pick_colour(PALETTE_SIZE)) != expected[i];
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(std::equal(std::begin(counts), std::end(counts), reference_counts));
}

TEST_F(PaletteTest, FirstPickIsUniformThenTheFirstChoiceIsExcluded) {
    // All zero: one draw. Then the entry with count 1 is the lone maximum and
    // the next pick never repeats it.
    seed_random(77);
    const int first = next_choices(1)[0];
    EXPECT_EQ(index_of(pick_colour(PALETTE_SIZE)), first);
    for (int trial = 0; trial < 50; ++trial) {
        std::fill(std::begin(counts), std::end(counts), 0u);
        counts[first] = 1;
        EXPECT_NE(index_of(pick_colour(PALETTE_SIZE)), first);
    }
}
