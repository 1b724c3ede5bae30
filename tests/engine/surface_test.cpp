// The surfaces: each mask's shape, the seeded fill over it pick by pick, and
// builds that fail for want of memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "engine/global_memory.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/palette.h"
#include "engine/random.h"
#include "engine/surface.h"
#include "tests/engine/test_support.h"

namespace {

using SurfaceTest = EngineTest;

constexpr SurfaceKind ALL_SURFACES[] = {SURFACE_SQUARE, SURFACE_CIRCLE, SURFACE_TORUS, SURFACE_TRIANGLE,
                                        SURFACE_TRIANGLE_INVERTED};

std::uint32_t px(int x, int y) { return image_buffer.pixels[y * image_geometry.width + x]; }

int coloured_in_row(int y) {
    int count = 0;
    for (std::uint32_t x = 0; x < image_geometry.width; ++x) count += px(x, y) != 0;
    return count;
}

// The first and last column of a triangle's row.
struct Span {
    int left;
    int right;
};

// A triangle whose straight sides run from its span on row 0 to its span on
// row t: every row from 0 to t is one unbroken run whose ends lie within half
// a pixel of the sides (as lines drawn to the nearest pixel leave them), and
// every row below t is background.
void expect_triangle_rows(int size, int t, Span top, Span bottom) {
    int rows_off = 0;
    std::string first_off;
    for (int y = 0; y < size; ++y) {
        int left = size, right = -1;
        for (int x = 0; x < size; ++x)
            if (px(x, y) != 0) {
                left = std::min(left, x);
                right = x;
            }
        // 2t times each side's exact column, so that the test stays whole.
        const int twice_left = 2 * (top.left * t + (bottom.left - top.left) * y);
        const int twice_right = 2 * (top.right * t + (bottom.right - top.right) * y);
        const bool expected = y > t ? right < 0
                                    : right >= 0 && coloured_in_row(y) == right - left + 1 &&
                                          std::abs(2 * t * left - twice_left) <= t &&
                                          std::abs(2 * t * right - twice_right) <= t;
        if (!expected && rows_off++ == 0)
            first_off = "row " + std::to_string(y) + " runs " + std::to_string(left) + " to " + std::to_string(right);
    }
    EXPECT_EQ(rows_off, 0) << "first: " << first_off;
}

AllocationPurpose failing_purpose;
bool fail_chosen(AllocationPurpose purpose) { return purpose == failing_purpose; }

}  // namespace

TEST_F(SurfaceTest, EveryFillIsTheSeededPickSequenceOverTheMaskInRowOrder) {
    // Replaying the picks from the same seed over the coloured pixels, row by
    // row, must give the image exactly: one pick per surface pixel, in order,
    // and nothing else drawn from the source.
    std::set<std::uint32_t> colours;
    for (int i = 0; i < PALETTE_SIZE; ++i) colours.insert(palette_colour(i));
    for (std::int32_t size : {256, 512}) {
        for (SurfaceKind surface : ALL_SURFACES) {
            SCOPED_TRACE(testing::Message() << "surface " << surface << " size " << size);
            ASSERT_TRUE(build_seeded_image(surface, size, 9000 + surface));
            const std::vector<std::uint32_t> image = snapshot_pixels();
            const RandomSource after_fill = random_source;

            std::uint32_t counts[PALETTE_SIZE] = {};
            use_counts = counts;
            seed_random(9000 + surface);
            std::uint32_t mismatches = 0, surface_pixels = 0;
            for (std::uint32_t word : image) {
                if (word == 0) continue;
                ++surface_pixels;
                mismatches += pick_colour(PALETTE_SIZE) != word;
                EXPECT_TRUE(colours.count(word)) << std::hex << word;
            }
            use_counts = nullptr;
            EXPECT_EQ(mismatches, 0u);
            EXPECT_EQ(random_source.next, after_fill.next) << "the fill drew more or fewer times";
            EXPECT_EQ(random_source.left, after_fill.left);
            EXPECT_EQ(random_source.state[0], after_fill.state[0]);
            EXPECT_GT(surface_pixels, static_cast<std::uint32_t>(size * size / 3));
            if (surface == SURFACE_SQUARE) {
                EXPECT_EQ(surface_pixels, static_cast<std::uint32_t>(size * size));
            }
        }
    }
}

TEST_F(SurfaceTest, CircleAndTorusShapes) {
    ASSERT_TRUE(build_seeded_image(SURFACE_CIRCLE, 512, 1));
    EXPECT_EQ(px(0, 0), 0u);
    EXPECT_EQ(px(511, 0), 0u);
    EXPECT_EQ(px(0, 511), 0u);
    EXPECT_EQ(px(511, 511), 0u);
    EXPECT_NE(px(256, 256), 0u);
    EXPECT_NE(px(0, 256), 0u);
    EXPECT_NE(px(511, 256), 0u);

    ASSERT_TRUE(build_seeded_image(SURFACE_TORUS, 256, 1));
    EXPECT_EQ(px(128, 128), 0u);
    // The hole is the inside of the ellipse in (64, 64)-(192, 192); its rim
    // and everything outside its box belong to the ring.
    for (int d = 1; d < 62; ++d) {
        EXPECT_EQ(px(128 - d, 128), 0u) << d;
        EXPECT_EQ(px(128, 128 + d), 0u) << d;
    }
    EXPECT_NE(px(64, 128), 0u);
    EXPECT_NE(px(191, 128), 0u);
    EXPECT_NE(px(63, 128), 0u);
    EXPECT_NE(px(128, 192), 0u);
    EXPECT_EQ(px(0, 0), 0u);
}

TEST_F(SurfaceTest, TriangleRows) {
    // The upright triangle's apex is the one pixel (W/2, 0): the start of
    // its first side, which the closing side ends at without drawing.
    for (std::int32_t size : {256, 512}) {
        ASSERT_TRUE(build_seeded_image(SURFACE_TRIANGLE, size, 2));
        for (int x = 0; x < size; ++x) EXPECT_EQ(px(x, 0) != 0, x == size / 2) << "size " << size << " x " << x;
    }

    for (std::int32_t size : {256, 512}) {
        const int w = size, t = size == 512 ? 444 : 222;
        SCOPED_TRACE(testing::Message() << "size " << size);
        ASSERT_TRUE(build_seeded_image(SURFACE_TRIANGLE, size, 2));
        expect_triangle_rows(size, t, {w / 2, w / 2}, {0, w - 1});
        ASSERT_TRUE(build_seeded_image(SURFACE_TRIANGLE_INVERTED, size, 2));
        expect_triangle_rows(size, t, {0, w - 1}, {w / 2, w / 2});
    }
}

TEST_F(SurfaceTest, TheSameSeedGivesTheSameImageAnotherSeedAnother) {
    for (SurfaceKind surface : ALL_SURFACES) {
        ASSERT_TRUE(build_seeded_image(surface, 256, 424242));
        const auto first = snapshot_pixels();
        ASSERT_TRUE(build_seeded_image(surface, 256, 424242));
        EXPECT_EQ(snapshot_pixels(), first) << surface;
        ASSERT_TRUE(build_seeded_image(surface, 256, 424244));
        EXPECT_NE(snapshot_pixels(), first) << surface;
    }
}

TEST_F(SurfaceTest, TheCircleRimDoesNotDependOnEarlierSurfaces) {
    // Triangles leave the white pen in the drawing context; a circle built
    // afterwards must still have the same mask.
    ASSERT_TRUE(build_seeded_image(SURFACE_TORUS, 512, 5));
    const auto before = snapshot_pixels();
    ASSERT_TRUE(build_seeded_image(SURFACE_TRIANGLE, 512, 5));
    ASSERT_TRUE(build_seeded_image(SURFACE_TORUS, 512, 5));
    EXPECT_EQ(snapshot_pixels(), before);
}

TEST_F(SurfaceTest, AllocationFailuresEndTheBuildWithoutLeaks) {
    set_image_geometry(256);
    for (AllocationPurpose purpose : {ALLOC_PALETTE, ALLOC_USE_COUNTS}) {
        ASSERT_EQ(create_image(256, 256), IMAGE_MADE);
        failing_purpose = purpose;
        set_allocation_gate(fail_chosen);
        EXPECT_FALSE(build_surface({SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_UP, 1}));
        set_allocation_gate(nullptr);
        EXPECT_EQ(use_counts, nullptr);
        EXPECT_EQ(palette, nullptr) << "a failed build keeps no palette";
        EXPECT_EQ(coloured_in_row(128), 0) << "nothing is coloured after a failure";
        release_image();
        EXPECT_EQ(blocks_in_use(), 0);
    }
}

TEST_F(SurfaceTest, TheSeedIsTheRecipes) {
    ASSERT_TRUE(build_seeded_image(SURFACE_SQUARE, 256, 77));
    const auto first = snapshot_pixels();
    // The colours of a square are the first picks after seeding with the
    // recipe's seed: the first pick is draw mod 90.
    seed_random(77);
    EXPECT_EQ(first[0], palette_colour(static_cast<int>(draw_random() % PALETTE_SIZE)));
}
