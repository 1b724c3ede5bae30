// The 90-colour palette and the balanced colour picker, checked against a
// plain picker written out here.
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
    // Every entry, written out: red to green, green to blue, blue to red,
    // each 16 steps of the next primary rising (0, 1, 2, 4 ... 128, 192 ...
    // 254, 255) and 14 of the previous one falling (254, 252 ... 2, 1).
    constexpr std::uint32_t EXPECTED[PALETTE_SIZE] = {
        0xFF0000, 0xFF0100, 0xFF0200, 0xFF0400, 0xFF0800, 0xFF1000, 0xFF2000, 0xFF4000, 0xFF8000, 0xFFC000,
        0xFFE000, 0xFFF000, 0xFFF800, 0xFFFC00, 0xFFFE00, 0xFFFF00, 0xFEFF00, 0xFCFF00, 0xF8FF00, 0xF0FF00,
        0xE0FF00, 0xC0FF00, 0x80FF00, 0x40FF00, 0x20FF00, 0x10FF00, 0x08FF00, 0x04FF00, 0x02FF00, 0x01FF00,
        0x00FF00, 0x00FF01, 0x00FF02, 0x00FF04, 0x00FF08, 0x00FF10, 0x00FF20, 0x00FF40, 0x00FF80, 0x00FFC0,
        0x00FFE0, 0x00FFF0, 0x00FFF8, 0x00FFFC, 0x00FFFE, 0x00FFFF, 0x00FEFF, 0x00FCFF, 0x00F8FF, 0x00F0FF,
        0x00E0FF, 0x00C0FF, 0x0080FF, 0x0040FF, 0x0020FF, 0x0010FF, 0x0008FF, 0x0004FF, 0x0002FF, 0x0001FF,
        0x0000FF, 0x0100FF, 0x0200FF, 0x0400FF, 0x0800FF, 0x1000FF, 0x2000FF, 0x4000FF, 0x8000FF, 0xC000FF,
        0xE000FF, 0xF000FF, 0xF800FF, 0xFC00FF, 0xFE00FF, 0xFF00FF, 0xFF00FE, 0xFF00FC, 0xFF00F8, 0xFF00F0,
        0xFF00E0, 0xFF00C0, 0xFF0080, 0xFF0040, 0xFF0020, 0xFF0010, 0xFF0008, 0xFF0004, 0xFF0002, 0xFF0001,
    };
    for (int i = 0; i < PALETTE_SIZE; ++i) {
        EXPECT_EQ(palette[i], EXPECTED[i]) << "entry " << i;
        EXPECT_EQ(palette_colour(i), EXPECTED[i]) << "entry " << i;
    }

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
