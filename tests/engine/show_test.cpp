// The show on a made-up clock: when the sort gives way to the rotation and
// the rotation to the next picture, the shape order, seeds that never
// repeat, settings changed between pictures, the rotation's pace on the
// caller, a picture that cannot be made, and the end.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/picture.h"
#include "engine/show.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"
#include "tests/engine/test_support.h"

namespace {

constexpr ShowTimings TIMINGS = {1000, 5000};
constexpr std::uint64_t BEGIN_MS = 100;
// A sort limit no test reaches, for the tests that wait for settling.
constexpr ShowTimings NO_LIMIT = {1'000'000'000, 5000};

class ShowTest : public EngineTest {
protected:
    void TearDown() override {
        show_end();
        EngineTest::TearDown();
    }

    // Makes every step until the show leaves `phase`, without sorting;
    // the clock at which it left.
    static std::uint64_t step_until_not(ShowPhase phase, std::uint64_t from_ms) {
        std::uint64_t now = from_ms;
        while (show_phase() == phase && now < from_ms + 1'000'000) show_step(++now);
        return now;
    }
};

// The colours of the pixels, without the tags that rotation adds.
std::vector<std::uint32_t> colours() {
    std::vector<std::uint32_t> words = snapshot_pixels();
    for (std::uint32_t& word : words) word &= PIXEL_COLOUR_MASK;
    return words;
}

template <typename Condition>
bool wait_for(Condition condition) {
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > bound) return false;
        std::this_thread::yield();
    }
    return true;
}

TEST_F(ShowTest, TheSortGivesWayAtTheLimitAndTheRotationToTheNextShapeAtItsTime) {
    show_begin(TIMINGS, SHOW_ON_CALLER, BEGIN_MS);
    ASSERT_EQ(show_phase(), SHOW_SORTING);
    EXPECT_EQ(picture_recipe().surface, DEFAULT_SURFACE);
    EXPECT_EQ(picture_recipe().image_size, DEFAULT_IMAGE_SIZE);
    EXPECT_EQ(show_next_step_ms(BEGIN_MS + 7), BEGIN_MS + 7) << "a sorting show has work at once";

    // An unsorted picture has not settled: only the limit ends its sort.
    EXPECT_FALSE(show_step(BEGIN_MS + TIMINGS.sort_limit_ms - 1));
    EXPECT_EQ(show_phase(), SHOW_SORTING);
    const auto unsorted = colours();
    const std::uint64_t rotation_began = BEGIN_MS + TIMINGS.sort_limit_ms;
    EXPECT_TRUE(show_step(rotation_began));
    ASSERT_EQ(show_phase(), SHOW_ROTATING);
    EXPECT_NE(colours(), unsorted) << "the rotation's first step is made at once";
    EXPECT_EQ(picture_iterations(), 0u) << "nothing sorted that the caller did not ask for";

    show_step(rotation_began + TIMINGS.rotation_ms - 1);
    EXPECT_EQ(show_phase(), SHOW_ROTATING);
    EXPECT_LE(show_next_step_ms(rotation_began + 1), rotation_began + TIMINGS.rotation_ms);
    EXPECT_TRUE(show_step(rotation_began + TIMINGS.rotation_ms));
    EXPECT_EQ(show_phase(), SHOW_SORTING);
    EXPECT_EQ(picture_recipe().surface, SURFACE_TORUS) << "the circle is followed by the torus";
    // The next limit counts from the new picture.
    show_step(rotation_began + TIMINGS.rotation_ms + TIMINGS.sort_limit_ms - 1);
    EXPECT_EQ(show_phase(), SHOW_SORTING);
}

// The rotation starts after the piece of sorting at which the engine's
// settle rule, watched at the same pace, says the sort has settled.
TEST_F(ShowTest, ASettledSortRotatesBeforeTheLimitByTheEnginesRule) {
    constexpr std::uint64_t PIECE = 1 << 20;
    show_begin(NO_LIMIT, SHOW_ON_CALLER, BEGIN_MS);
    const PictureRecipe recipe = picture_recipe();
    std::uint64_t now = BEGIN_MS;
    show_step(now);
    while (show_phase() == SHOW_SORTING && picture_iterations() < 64 * settle_check_interval(256 * 256)) {
        ASSERT_TRUE(show_sort(PIECE));
        show_step(++now);
    }
    ASSERT_EQ(show_phase(), SHOW_ROTATING);
    const std::uint64_t rotated_at = picture_iterations();
    EXPECT_FALSE(show_sort(PIECE)) << "a rotating show sorts no more";
    EXPECT_EQ(picture_iterations(), rotated_at);

    show_end();
    ASSERT_TRUE(make_picture(recipe));
    PictureSettle settle;
    std::uint64_t expected = 0;
    while (!watch_picture_settle(settle, expected)) {
        sort_picture(PIECE);
        expected += PIECE;
    }
    EXPECT_TRUE(settle.settled) << "the picture reached the iteration cap instead";
    EXPECT_EQ(rotated_at, expected);
}

TEST_F(ShowTest, ShapesFollowInTurnAndNoSeedComesTwice) {
    SettingsValues settings = current_settings();
    settings.surface = SURFACE_TRIANGLE;
    apply_settings(settings);
    // A clock ahead of every seed used so far in this process gives the seed.
    fixed_clock_seconds = 4'000'000'000u;
    const SurfaceKind expected[] = {SURFACE_TRIANGLE, SURFACE_TRIANGLE_INVERTED, SURFACE_SQUARE, SURFACE_CIRCLE,
                                    SURFACE_TORUS,    SURFACE_TRIANGLE};
    std::set<std::uint32_t> seeds;
    show_begin(TIMINGS, SHOW_ON_CALLER, BEGIN_MS);
    EXPECT_EQ(picture_recipe().seed, fixed_clock_seconds);
    std::uint64_t now = BEGIN_MS;
    for (const SurfaceKind surface : expected) {
        ASSERT_EQ(show_phase(), SHOW_SORTING);
        EXPECT_EQ(picture_recipe().surface, surface);
        EXPECT_TRUE(seeds.insert(picture_recipe().seed).second) << "seed " << picture_recipe().seed << " again";
        // The clock of seconds stands still, then even goes back.
        if (surface == SURFACE_CIRCLE) fixed_clock_seconds -= 1000;
        now = step_until_not(SHOW_SORTING, now);
        now = step_until_not(SHOW_ROTATING, now);
    }
    EXPECT_EQ(show_phase(), SHOW_SORTING);

    // A later show of the same process uses none of them either.
    show_end();
    show_begin(TIMINGS, SHOW_ON_CALLER, now);
    EXPECT_TRUE(seeds.insert(picture_recipe().seed).second);
    EXPECT_EQ(current_settings().surface, SURFACE_TRIANGLE) << "the show wrote its shape into the settings";
}

TEST_F(ShowTest, SettingsChangedDuringAPictureShapeTheNextOne) {
    show_begin(TIMINGS, SHOW_ON_CALLER, BEGIN_MS);
    const std::uint64_t rotating = step_until_not(SHOW_SORTING, BEGIN_MS);
    ASSERT_EQ(show_phase(), SHOW_ROTATING);

    SettingsValues settings = current_settings();
    settings.surface = SURFACE_SQUARE;
    settings.image_size = IMAGE_SIZE_BIG;
    settings.red_direction = RED_DOWN;
    apply_settings(settings);
    show_step(rotating + 1);
    EXPECT_EQ(image_geometry.width, static_cast<std::uint32_t>(DEFAULT_IMAGE_SIZE)) << "the shown picture changed";

    step_until_not(SHOW_ROTATING, rotating);
    EXPECT_EQ(picture_recipe().image_size, IMAGE_SIZE_BIG);
    EXPECT_EQ(picture_recipe().red_direction, RED_DOWN);
    EXPECT_EQ(image_geometry.width, static_cast<std::uint32_t>(IMAGE_SIZE_BIG));
    EXPECT_EQ(picture_recipe().surface, SURFACE_TORUS) << "the shape follows the show's own order";
}

// On the caller a step is due every rotation_delay / 2 ms, the delay read
// afresh; a late call makes one step, and the pause runs from it.
TEST_F(ShowTest, OnTheCallerTheRotationKeepsThePaceOfTheSettings) {
    constexpr std::uint64_t FAST = ROTATION_DELAYS[1] / 2;
    constexpr std::uint64_t SLOW = ROTATION_DELAYS[4] / 2;
    SettingsValues settings = current_settings();
    settings.rotation_delay = ROTATION_DELAYS[1];
    apply_settings(settings);
    show_begin(TIMINGS, SHOW_ON_CALLER, BEGIN_MS);
    const std::uint64_t began = step_until_not(SHOW_SORTING, BEGIN_MS);
    ASSERT_EQ(show_phase(), SHOW_ROTATING);
    EXPECT_EQ(show_next_step_ms(began), began + FAST);

    auto before = colours();
    EXPECT_FALSE(show_step(began + FAST - 1));
    EXPECT_EQ(colours(), before);
    EXPECT_TRUE(show_step(began + FAST));
    EXPECT_NE(colours(), before);

    // Slower from the next pause on.
    settings.rotation_delay = ROTATION_DELAYS[4];
    apply_settings(settings);
    const std::uint64_t second = began + 2 * FAST;
    EXPECT_EQ(show_next_step_ms(began + FAST), second) << "the pause already running keeps its length";
    EXPECT_TRUE(show_step(second));
    EXPECT_EQ(show_next_step_ms(second), second + SLOW);

    // Two hundred ms late: one step, not a burst.
    before = colours();
    const std::uint64_t late = second + 200;
    EXPECT_TRUE(show_step(late));
    EXPECT_NE(colours(), before);
    EXPECT_FALSE(show_step(late + 1));
    EXPECT_EQ(show_next_step_ms(late), late + SLOW);
}

TEST_F(ShowTest, APictureThatCannotBeMadeIsTriedAgainWithTheNextShape) {
    close_drawing_context();
    show_begin(TIMINGS, SHOW_ON_CALLER, BEGIN_MS);
    EXPECT_EQ(show_phase(), SHOW_WAITING);
    EXPECT_FALSE(has_picture());
    EXPECT_EQ(show_next_step_ms(BEGIN_MS), BEGIN_MS + TIMINGS.rotation_ms);
    EXPECT_FALSE(show_sort(1000));
    EXPECT_FALSE(show_step(BEGIN_MS + TIMINGS.rotation_ms - 1));
    EXPECT_EQ(show_phase(), SHOW_WAITING);

    ASSERT_TRUE(open_drawing_context(nullptr));
    EXPECT_TRUE(show_step(BEGIN_MS + TIMINGS.rotation_ms));
    EXPECT_EQ(show_phase(), SHOW_SORTING);
    EXPECT_EQ(picture_recipe().surface, SURFACE_TORUS);
}

// On the worker thread the show sorts and rotates by itself; its end stops
// the worker, and nothing starts again.
TEST_F(ShowTest, OnTheWorkerThreadTheShowRunsByItselfUntilItsEnd) {
    show_begin(TIMINGS, SHOW_ON_WORKER_THREAD, BEGIN_MS);
    ASSERT_EQ(show_phase(), SHOW_SORTING);
    EXPECT_TRUE(worker_is_running());
    EXPECT_FALSE(show_sort(1000)) << "the worker sorts, not the caller";
    EXPECT_TRUE(wait_for([] { return picture_iterations() > 1'000'000; })) << "no sort seen";

    const std::uint64_t began = BEGIN_MS + TIMINGS.sort_limit_ms;
    show_step(began);
    ASSERT_EQ(show_phase(), SHOW_ROTATING);
    EXPECT_TRUE(worker_is_running());
    EXPECT_EQ(show_next_step_ms(began), began + TIMINGS.rotation_ms);
    const auto first = colours();
    EXPECT_TRUE(wait_for([&] { return colours() != first; })) << "no rotation seen";

    show_end();
    EXPECT_EQ(show_phase(), SHOW_IDLE);
    EXPECT_FALSE(worker_is_running());
    EXPECT_FALSE(show_step(began + 10 * TIMINGS.rotation_ms));
    EXPECT_FALSE(worker_is_running());
    EXPECT_TRUE(has_picture()) << "the last picture stays to be painted";
}

}  // namespace
