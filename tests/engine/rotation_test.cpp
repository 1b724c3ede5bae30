// Palette rotation: tagging each pixel with its palette entry, the step that
// moves every colour one entry on, and the rotation worker.
#include <gtest/gtest.h>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/rotation.h"
#include "tests/engine/test_support.h"

namespace {

using RotationTest = EngineTest;

int entry_of(std::uint32_t colour) {
    for (int k = 0; k < PALETTE_SIZE; ++k)
        if (palette_colour(k) == (colour & PIXEL_COLOUR_MASK)) return k;
    return -1;
}

}  // namespace

TEST_F(RotationTest, TaggingRecordsEachPixelsEntryAndKeepsItsColour) {
    ASSERT_TRUE(build_seeded_image(SURFACE_TORUS, 256, 11));
    const auto before = snapshot_pixels();
    tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    for (int k = 0; k < PALETTE_SIZE; ++k) EXPECT_EQ(palette[k], palette_colour(k) | (std::uint32_t(k) << 24));
    const auto tagged = snapshot_pixels();
    for (std::size_t i = 0; i < tagged.size(); ++i) {
        EXPECT_EQ(tagged[i] & PIXEL_COLOUR_MASK, before[i]) << "displayed colour changed at " << i;
        if (before[i] == 0)
            ASSERT_EQ(tagged[i], 0xFF000000u) << i;
        else
            ASSERT_EQ(static_cast<int>(tagged[i] >> 24), entry_of(before[i])) << i;
    }
    // Tagging again gives the same tags, also after some rotation steps.
    for (int s = 0; s < 7; ++s) rotate_palette(palette, image_buffer.pixels, image_geometry.pixel_count);
    const auto rotated = snapshot_pixels();
    tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    EXPECT_EQ(snapshot_pixels(), rotated);
}

TEST_F(RotationTest, EachStepMovesEveryColourOneEntryOnAndNinetyStepsRestore) {
    ASSERT_TRUE(build_seeded_image(SURFACE_CIRCLE, 256, 12));
    tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    const auto start = snapshot_pixels();
    for (int step = 1; step <= PALETTE_SIZE; ++step) {
        rotate_palette(palette, image_buffer.pixels, image_geometry.pixel_count);
        if (step == 1 || step == 33) {
            for (std::size_t i = 0; i < start.size(); ++i) {
                const std::uint32_t tag = start[i] >> 24;
                if (tag == 0xFF) {
                    ASSERT_EQ(image_buffer.pixels[i], 0xFF000000u) << "background rewritten";
                    continue;
                }
                // A pixel with tag t shows what entry (t - s) mod 90 held at first.
                const int source = (static_cast<int>(tag) - step + 10 * PALETTE_SIZE) % PALETTE_SIZE;
                ASSERT_EQ(image_buffer.pixels[i], palette_colour(source) | (tag << 24)) << i;
            }
        }
    }
    EXPECT_EQ(snapshot_pixels(), start);
}

TEST_F(RotationTest, TagFiveTakesEntryFourAndTagZeroTakesEntryEightyNine) {
    ASSERT_EQ(build_palette(), PALETTE_SIZE);
    std::uint32_t pixels[4] = {palette_colour(5), palette_colour(0), 0, palette_colour(89)};
    tag_pixels(palette, pixels, 4);
    rotate_palette(palette, pixels, 4);
    EXPECT_EQ(pixels[0], palette_colour(4) | (5u << 24));
    EXPECT_EQ(pixels[1], palette_colour(89));
    EXPECT_EQ(pixels[2], 0xFF000000u);
    EXPECT_EQ(pixels[3], palette_colour(88) | (89u << 24));
    release_palette();
}

TEST_F(RotationTest, TheWorkerStepsRepaintsAndStopsWhenAsked) {
    ASSERT_TRUE(build_seeded_image(SURFACE_SQUARE, 256, 13));
    tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    const std::uint32_t first_colour = palette[0] & PIXEL_COLOUR_MASK;
    install_ui_harness();
    sort_settings.rotation_delay.store(8);
    start_worker(rotation_worker);
    EXPECT_EQ(serve_repaints(5, 20000), 5);
    stop_worker();
    EXPECT_FALSE(worker_is_running());
    // Each repaint follows one step; a step may have finished just before the
    // stop took effect.
    const int steps = repaints_served();
    EXPECT_GE(steps, 5);
    EXPECT_EQ(palette[steps % PALETTE_SIZE] & PIXEL_COLOUR_MASK, first_colour);
}
