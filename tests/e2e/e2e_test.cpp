// The real huesift.exe, started as its own process and driven from outside:
// found by its window class, sent menu commands, its dialogs answered and
// the pixels of its client area read from the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/expected_surface.h"
#include "tools/driving/huesift_process.h"
#include "tools/driving/options_driving.h"
#include "tools/driving/screen_picture.h"

namespace {

std::string huesift_program;

// Fewer coloured pixels than the 512 circle has (about 205,900).
constexpr int BIG_CIRCLE_MIN = 150000;
constexpr const char* RESTART_NOTICE = "Click File menu/Start for changes to take effect.";
// How long, at most, the disorder is watched.
constexpr int SETTLE_BOUND_MS = 90000;

double worst_channel(const Disorder& d) { return std::max({d.red, d.blue, d.green}); }

// Sorting has shown a picture: most of the square is coloured.
bool shows_image(const Picture& picture, int side, int min_coloured) {
    return picture.width >= side && count_colours(picture, side).palette >= min_coloured;
}

// Pixels of the top-left square whose being coloured or black differs from
// what the engine colours for that surface.
int misplaced_pixels(const Picture& picture, const std::vector<bool>& mask, int side) {
    int misplaced = 0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            if ((picture.at(x, y) != 0) != mask[static_cast<std::size_t>(y) * side + x]) ++misplaced;
        }
    }
    return misplaced;
}

class HuesiftEndToEnd : public ::testing::Test {
protected:
    HuesiftProcess huesift;

    void SetUp() override { ASSERT_TRUE(start_huesift(huesift_program, huesift)) << huesift_program; }
    void TearDown() override { close_process(huesift); }

    void command(WORD id) { PostMessageA(huesift.window, WM_COMMAND, id, 0); }

    // Waits for a picture that `accept` takes; the last one read otherwise.
    template <typename Accept>
    Picture wait_for_picture(Accept accept, int bound_ms = DRIVE_WAIT_BOUND_MS) {
        Picture picture;
        wait_until([&] { return accept(picture = capture_client(huesift.window)); }, bound_ms);
        return picture;
    }

    std::string set_options(std::initializer_list<int> buttons) { return choose_options(huesift, buttons); }

    // Waits for a picture showing the image and then for a different one,
    // as a running sort gives; false when the picture does not change.
    bool pictures_keep_changing(int side, int min_coloured) {
        Picture first;
        return wait_until([&] { return shows_image(first = capture_client(huesift.window), side, min_coloured); }) &&
               wait_until([&] {
                   const Picture next = capture_client(huesift.window);
                   return shows_image(next, side, min_coloured) && next != first;
               });
    }

    // Waits for two successive different pictures between which every
    // coloured pixel moved on by the same number of palette entries, as only
    // rotation does; gives the later one, or an empty picture when none came.
    Picture wait_for_rotation_step(int side, int min_coloured) {
        Picture previous;
        Picture stepped;
        wait_until([&] {
            Picture picture = capture_client(huesift.window);
            if (!shows_image(picture, side, min_coloured) || picture == previous) return false;
            if (!previous.pixels.empty() &&
                palette_step_between(palette_indices(previous), palette_indices(picture)) > 0)
                stepped = picture;
            previous = std::move(picture);
            return !stepped.pixels.empty();
        });
        return stepped;
    }
};

TEST_F(HuesiftEndToEnd, WindowHasItsClassTitleAndSizeAndIsBlackBeforeTheFirstStart) {
    char title[100] = {};
    GetWindowTextA(huesift.window, title, sizeof(title));
    EXPECT_STREQ(title, "Huesift");
    RECT outer;
    GetWindowRect(huesift.window, &outer);
    EXPECT_EQ(outer.right - outer.left, 522);
    EXPECT_EQ(outer.bottom - outer.top, 560);

    const Picture picture = wait_for_picture([](const Picture& p) { return !p.pixels.empty() && black_outside(p, 0); });
    EXPECT_GE(picture.width, IMAGE_SIZE_BIG);
    EXPECT_GE(picture.height, IMAGE_SIZE_BIG);
    EXPECT_TRUE(black_outside(picture, 0));
}

TEST_F(HuesiftEndToEnd, StartShowsTheDefaultShapeWhoseColoursSettleIntoGradients) {
    const std::vector<bool> shape = fresh_surface_mask(DEFAULT_SURFACE, DEFAULT_IMAGE_SIZE);
    ASSERT_EQ(shape.size(), static_cast<std::size_t>(DEFAULT_IMAGE_SIZE * DEFAULT_IMAGE_SIZE));
    const int shape_area = static_cast<int>(std::count(shape.begin(), shape.end(), true));

    // The first picture that is complete: a paint reaches the screen a
    // little after it is made.
    command(IDM_START);
    const Picture first = wait_for_picture([&](const Picture& p) {
        return shows_image(p, DEFAULT_IMAGE_SIZE, 1) && misplaced_pixels(p, shape, DEFAULT_IMAGE_SIZE) == 0;
    });
    ASSERT_TRUE(shows_image(first, DEFAULT_IMAGE_SIZE, shape_area)) << "no complete picture after Start";
    EXPECT_TRUE(black_outside(first, DEFAULT_IMAGE_SIZE));
    EXPECT_EQ(count_colours(first, DEFAULT_IMAGE_SIZE).other, 0) << "colours that are not in the palette";
    EXPECT_EQ(misplaced_pixels(first, shape, DEFAULT_IMAGE_SIZE), 0) << "pixels off the shape";

    // Every new picture is measured until its disorder (the worst channel's
    // share of out-of-order pairs) has fallen to a quarter of the first
    // picture's; the sort comes to rest soon after, and the picture then
    // stays as it is.
    const double first_disorder = worst_channel(picture_disorder(first, DEFAULT_IMAGE_SIZE, DEFAULT_RED_DIRECTION));
    std::vector<double> later;
    Picture previous = first;
    const Picture settled = wait_for_picture(
        [&](const Picture& p) {
            if (!shows_image(p, DEFAULT_IMAGE_SIZE, shape_area) || p == previous) return false;
            previous = p;
            later.push_back(worst_channel(picture_disorder(p, DEFAULT_IMAGE_SIZE, DEFAULT_RED_DIRECTION)));
            return later.back() < first_disorder / 4;
        },
        SETTLE_BOUND_MS);
    std::printf(
        "disorder (worst channel's share of out-of-order pairs), first picture after Start: %.4f;"
        " next %zu pictures:",
        first_disorder, later.size());
    for (double disorder : later) std::printf(" %.4f", disorder);
    std::printf("\n");
    ASSERT_FALSE(later.empty());
    EXPECT_LT(later.back(), first_disorder / 4) << "the picture did not settle";
    EXPECT_EQ(count_colours(settled, DEFAULT_IMAGE_SIZE).other, 0);
    EXPECT_TRUE(black_outside(settled, DEFAULT_IMAGE_SIZE));
}

TEST_F(HuesiftEndToEnd, ToggleRotationStepsEveryColourAlongThePaletteAndKeepsTheBackgroundBlack) {
    command(IDM_START);
    const Picture sorting = wait_for_picture([](const Picture& p) { return shows_image(p, IMAGE_SIZE_SMALL, 40000); });
    ASSERT_TRUE(shows_image(sorting, IMAGE_SIZE_SMALL, 40000));

    // A sort exchanges pixels; only rotation moves every colour on alike.
    command(IDM_TOGGLE_ROTATION);
    const Picture one = wait_for_rotation_step(IMAGE_SIZE_SMALL, 40000);
    ASSERT_FALSE(one.pixels.empty()) << "no two pictures with every colour moved on alike";
    const Picture two = wait_for_rotation_step(IMAGE_SIZE_SMALL, 40000);
    ASSERT_FALSE(two.pixels.empty()) << "rotation did not go on";
    for (const Picture* picture : {&one, &two}) {
        EXPECT_TRUE(black_outside(*picture, IMAGE_SIZE_SMALL));
        EXPECT_EQ(count_colours(*picture, IMAGE_SIZE_SMALL).other, 0);
        // Rotation changes colours, never which pixels are coloured.
        int shape_changes = 0;
        for (std::size_t i = 0; i < picture->pixels.size(); ++i) {
            if ((picture->pixels[i] == 0) != (sorting.pixels[i] == 0)) ++shape_changes;
        }
        EXPECT_EQ(shape_changes, 0);
    }
}

TEST_F(HuesiftEndToEnd, OptionsForABigSquareThenASmallOneReshapeTheNextStart) {
    EXPECT_EQ(set_options({IDC_SIZE_BIG, IDC_SURFACE_SQUARE}), RESTART_NOTICE);
    command(IDM_START);
    const Picture big = wait_for_picture(
        [](const Picture& p) { return shows_image(p, IMAGE_SIZE_BIG, IMAGE_SIZE_BIG * IMAGE_SIZE_BIG); });
    ASSERT_TRUE(shows_image(big, IMAGE_SIZE_BIG, IMAGE_SIZE_BIG * IMAGE_SIZE_BIG))
        << "the 512 square is not fully coloured";
    EXPECT_TRUE(black_outside(big, IMAGE_SIZE_BIG));

    // The next Start blackens the whole old 512 area before the 256 image.
    EXPECT_EQ(set_options({IDC_SIZE_SMALL}), RESTART_NOTICE);
    command(IDM_START);
    const Picture small = wait_for_picture([](const Picture& p) {
        return shows_image(p, IMAGE_SIZE_SMALL, IMAGE_SIZE_SMALL * IMAGE_SIZE_SMALL) &&
               black_outside(p, IMAGE_SIZE_SMALL);
    });
    EXPECT_TRUE(shows_image(small, IMAGE_SIZE_SMALL, IMAGE_SIZE_SMALL * IMAGE_SIZE_SMALL));
    EXPECT_TRUE(black_outside(small, IMAGE_SIZE_SMALL));
}

// A worker stopped after its image is released would write into freed
// memory; a 512 image is big enough that Wine gives its memory back to the
// system on release, so that write faults and ends the process with a
// non-zero code. Whether the worker is inside a sort step or waiting for a
// paint when the window goes is a matter of timing, so each ending is tried
// in several fresh processes. (The rotation worker spends most of its time
// asleep, so it is the Exit while sorting that such a fault shows in.)
class EndingWhileBusy : public HuesiftEndToEnd, public ::testing::WithParamInterface<int> {};

TEST_P(EndingWhileBusy, ExitWhileSortingABigImageEndsTheProcessWithCodeZero) {
    ASSERT_EQ(set_options({IDC_SIZE_BIG}), RESTART_NOTICE);
    command(IDM_START);
    ASSERT_TRUE(pictures_keep_changing(IMAGE_SIZE_BIG, BIG_CIRCLE_MIN)) << "no sort running before Exit";
    command(IDM_EXIT);
    DWORD exit_code = 1;
    ASSERT_TRUE(wait_for_exit(huesift, exit_code));
    EXPECT_EQ(exit_code, 0u);
}

TEST_P(EndingWhileBusy, CloseBoxWhileRotatingABigImageEndsTheProcessWithCodeZero) {
    ASSERT_EQ(set_options({IDC_SIZE_BIG}), RESTART_NOTICE);
    command(IDM_START);
    ASSERT_TRUE(pictures_keep_changing(IMAGE_SIZE_BIG, BIG_CIRCLE_MIN)) << "no sort running";
    command(IDM_TOGGLE_ROTATION);
    ASSERT_FALSE(wait_for_rotation_step(IMAGE_SIZE_BIG, BIG_CIRCLE_MIN).pixels.empty())
        << "no rotation running before close";
    PostMessageA(huesift.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exit_code = 1;
    ASSERT_TRUE(wait_for_exit(huesift, exit_code));
    EXPECT_EQ(exit_code, 0u);
}

INSTANTIATE_TEST_SUITE_P(Rounds, EndingWhileBusy, ::testing::Range(0, 4));

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: e2e_tests PATH-OF-huesift.exe\n");
        return 2;
    }
    huesift_program = argv[1];
    return RUN_ALL_TESTS();
}
