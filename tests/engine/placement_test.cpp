// Where a front end shows the square image in an area: the largest whole
// enlargement that fits, centred, and a shrink only where none fits.
#include <gtest/gtest.h>

#include "engine/placement.h"

namespace {

TEST(Placement, EnlargesByTheLargestWholeFactorAndCentres) {
    const Placement screen = place_image(1280, 1024, 256);
    EXPECT_EQ(screen.factor, 4);
    EXPECT_EQ(screen.side, 1024);
    EXPECT_EQ(screen.left, 128);
    EXPECT_EQ(screen.top, 0);

    const Placement wide = place_image(1920, 1080, 512);
    EXPECT_EQ(wide.factor, 2);
    EXPECT_EQ(wide.left, 448);
    EXPECT_EQ(wide.top, 28);

    const Placement exact = place_image(512, 512, 512);
    EXPECT_EQ(exact.factor, 1);
    EXPECT_EQ(exact.left, 0);

    // Too small for the image even once: shrunk to the shorter side.
    const Placement preview = place_image(152, 112, 256);
    EXPECT_EQ(preview.factor, 0);
    EXPECT_EQ(preview.side, 112);
    EXPECT_EQ(preview.left, 20);
    EXPECT_EQ(preview.top, 0);

    EXPECT_EQ(place_image(0, 100, 256).side, 0);
    EXPECT_EQ(place_image(100, 100, 0).side, 0);
}

}  // namespace
