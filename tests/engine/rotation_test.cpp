// Palette rotation: tagging the pixels, each step of the palette, and the
// rotation worker at the pace the settings give it.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/palette.h"
#include "engine/rotation.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"
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

namespace {

// When each repaint of the rotation worker was answered.
std::vector<std::chrono::steady_clock::time_point> paint_times;
void note_paint_time() { paint_times.push_back(std::chrono::steady_clock::now()); }

}  // namespace

TEST_F(RotationTest, TheWorkerStepsRepaintsTakesANewPaceAndStopsWhenAsked) {
    ASSERT_TRUE(build_seeded_image(SURFACE_SQUARE, 256, 13));
    tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    const std::uint32_t first_colour = palette[0] & PIXEL_COLOUR_MASK;
    install_ui_harness();
    sort_settings.rotation_delay.store(ROTATION_DELAYS[0]);
    start_worker(rotation_worker);
    EXPECT_EQ(serve_repaints(5, 20000), 5);

    // The slowest speed reaches the running worker from its next pause on:
    // after the pause under way and one step, every pause is the new one.
    // A gap only needs to outlast the next faster speed's pause, so a busy
    // machine or a coarse system clock cannot fail it.
    sort_settings.rotation_delay.store(ROTATION_DELAYS[4]);
    EXPECT_EQ(serve_repaints(2, 20000), 2);
    paint_times.clear();
    EXPECT_EQ(serve_repaints(3, 20000, note_paint_time), 3);
    for (std::size_t i = 1; i < paint_times.size(); ++i) {
        const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(paint_times[i] - paint_times[i - 1]);
        EXPECT_GT(gap.count(), ROTATION_DELAYS[3] / 2) << "the worker keeps the pace it started with";
    }

    stop_worker();
    EXPECT_FALSE(worker_is_running());
    // Each repaint follows one step; a step may have finished just before the
    // stop took effect.
    const int steps = repaints_served();
    EXPECT_GE(steps, 10);
    EXPECT_EQ(palette[steps % PALETTE_SIZE] & PIXEL_COLOUR_MASK, first_colour);
}
