// The picture interface the front ends use: a recipe made into a picture,
// its sort and progress, its rotation and the settle watch.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/picture.h"
#include "engine/random.h"
#include "engine/run_state.h"
#include "engine/sort_worker.h"
#include "tests/engine/test_support.h"

namespace {

class PictureTest : public EngineTest {};

TEST_F(PictureTest, ARecipeBecomesTheSettingsAndTheSameRecipeTheSamePicture) {
    const PictureRecipe recipe{SURFACE_TRIANGLE_INVERTED, IMAGE_SIZE_BIG, RED_DOWN, 4242};
    ASSERT_TRUE(make_picture(recipe));
    EXPECT_EQ(sort_settings.surface, SURFACE_TRIANGLE_INVERTED);
    EXPECT_EQ(sort_settings.image_size, IMAGE_SIZE_BIG);
    EXPECT_EQ(sort_settings.red_direction, RED_DOWN);
    EXPECT_EQ(image_geometry.width, 512u);
    EXPECT_EQ(picture_recipe().seed, 4242u);
    sort_picture(100000);
    const auto sorted = snapshot_pixels();
    const RandomSource generator = random_source;

    // Another picture in between changes nothing of the next one.
    ASSERT_TRUE(make_picture({SURFACE_SQUARE, IMAGE_SIZE_SMALL, RED_UP, 7}));
    ASSERT_TRUE(make_picture(recipe));
    sort_picture(100000);
    EXPECT_EQ(snapshot_pixels(), sorted);
    EXPECT_TRUE(std::equal(generator.state, generator.state + RANDOM_STATE_WORDS, random_source.state) &&
                generator.left == random_source.left)
        << "the generator was left elsewhere";
    EXPECT_EQ(recipe_from_settings(99).surface, SURFACE_TRIANGLE_INVERTED);
    EXPECT_EQ(recipe_from_settings(99).seed, 99u);
}

TEST_F(PictureTest, ProgressCountsEveryIterationOfThePictureOnly) {
    ASSERT_TRUE(make_picture({SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_UP, 1}));
    EXPECT_EQ(picture_iterations(), 0u);
    sort_picture(123457);
    sort_picture(1);
    EXPECT_EQ(picture_iterations(), 123458u);

    // The worker's count is seen growing from this thread, and is exact
    // once it has stopped: the same pixels as that many iterations here.
    start_picture_sort();
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (picture_iterations() < 2000000 && std::chrono::steady_clock::now() < bound) std::this_thread::yield();
    stop_worker();
    const std::uint64_t done = picture_iterations();
    ASSERT_GE(done, 2000000u) << "no progress seen from another thread";
    const auto by_worker = snapshot_pixels();
    ASSERT_TRUE(make_picture({SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_UP, 1}));
    EXPECT_EQ(picture_iterations(), 0u) << "a new picture starts from nothing";
    sort_picture(done);
    EXPECT_EQ(snapshot_pixels(), by_worker);
}

TEST_F(PictureTest, MakingAPictureStopsTheWorkerAndAFailedOneLeavesNone) {
    ASSERT_TRUE(make_picture({SURFACE_SQUARE, IMAGE_SIZE_SMALL, RED_UP, 3}));
    start_picture_sort();
    ASSERT_TRUE(worker_is_running());
    ASSERT_TRUE(make_picture({SURFACE_SQUARE, IMAGE_SIZE_SMALL, RED_UP, 3}));
    EXPECT_FALSE(worker_is_running());

    close_drawing_context();
    EXPECT_FALSE(make_picture({SURFACE_SQUARE, IMAGE_SIZE_SMALL, RED_UP, 3}));
    EXPECT_FALSE(has_picture());
    EXPECT_FALSE(start_picture_rotation());
    start_picture_sort();
    EXPECT_FALSE(worker_is_running()) << "a sort started without a picture";
    ASSERT_TRUE(open_drawing_context(nullptr));
}

TEST_F(PictureTest, RotationTagsAndStepsThePalette) {
    ASSERT_TRUE(make_picture({SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_UP, 5}));
    ASSERT_TRUE(start_picture_rotation());
    EXPECT_TRUE(worker_is_running());
    stop_worker();
    // The worker may have stepped the palette any number of times already.
    const std::vector<std::uint32_t> entries(palette, palette + PALETTE_SIZE);
    const auto tagged = snapshot_pixels();
    rotate_picture_once();
    const auto stepped = snapshot_pixels();
    for (std::uint32_t i = 0; i < tagged.size(); ++i) {
        const std::uint32_t tag = tagged[i] >> PIXEL_TAG_SHIFT;
        ASSERT_EQ(stepped[i] >> PIXEL_TAG_SHIFT, tag) << "pixel " << i;
        if (tag == BACKGROUND_TAG) continue;
        // The palette moved one step on: the colour a pixel shows now is the
        // colour the entry before its own showed.
        ASSERT_EQ(stepped[i] & PIXEL_COLOUR_MASK, entries[(tag + 89) % 90] & PIXEL_COLOUR_MASK) << i;
    }
}

TEST_F(PictureTest, TheSettleWatchMeasuresOncePerIntervalWhateverThePace) {
    ASSERT_TRUE(make_picture({SURFACE_SQUARE, IMAGE_SIZE_SMALL, RED_UP, 11}));
    const std::uint64_t interval = settle_check_interval(image_geometry.pixel_count);
    PictureSettle settle;
    EXPECT_FALSE(watch_picture_settle(settle, 0));
    EXPECT_TRUE(settle.checked) << "the first check is at the start";
    EXPECT_EQ(settle.watch.checks, 1);
    EXPECT_FALSE(watch_picture_settle(settle, interval - 1));
    EXPECT_EQ(settle.watch.checks, 1) << "a check before its interval";
    // Many intervals passed at once are one check: the same pixels measured
    // again would count as checks without progress and settle at once.
    EXPECT_FALSE(watch_picture_settle(settle, 20 * interval));
    EXPECT_EQ(settle.watch.checks, 2);
    EXPECT_EQ(settle.next_check, 21 * interval);
    // An unsorted picture that never changes settles after the patience.
    int calls = 0;
    while (!watch_picture_settle(settle, (21 + calls) * interval) && calls < 100) ++calls;
    EXPECT_TRUE(settle.settled);
    EXPECT_FALSE(settle.capped);
    EXPECT_EQ(settle.watch.checks, 1 + 4) << "the first check and four without progress";

    PictureSettle capped;
    EXPECT_TRUE(watch_picture_settle(capped, settle_iteration_cap(image_geometry.pixel_count)));
    EXPECT_TRUE(capped.capped);
}

}  // namespace
