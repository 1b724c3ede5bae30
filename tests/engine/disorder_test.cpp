// The disorder measure: how many neighbouring pairs of surface pixels are out
// of order in each channel's sort direction.
#include <gtest/gtest.h>

#include <vector>

#include "engine/disorder.h"
#include "engine/run_state.h"

namespace {

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r << 16 | g << 8 | b; }

// A W x H image in the order the red-up sort works toward, strictly in every
// direction: red falls downward, blue grows toward the lower left and green
// toward the lower right.
std::vector<std::uint32_t> ordered_image(std::uint32_t w, std::uint32_t h) {
    std::vector<std::uint32_t> px(w * h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) px[y * w + x] = rgb(10 * (h - y), 10 * (x + y) + 1, 10 * (y + w - x) + 1);
    return px;
}

TEST(DisorderTest, AnOrderedImageMeasuresZeroAndItsRedMirrorIsAllOutOfOrder) {
    const auto px = ordered_image(6, 5);
    const Disorder up = measure_disorder(px.data(), 6, 5, RED_UP);
    EXPECT_EQ(up.red, 0.0);
    EXPECT_EQ(up.blue, 0.0);
    EXPECT_EQ(up.green, 0.0);
    const Disorder down = measure_disorder(px.data(), 6, 5, RED_DOWN);
    EXPECT_EQ(down.red, 1.0);
    EXPECT_EQ(down.blue, 0.0);
}

TEST(DisorderTest, EqualValuesAreInOrderAndAnEmptyImageMeasuresZero) {
    const std::vector<std::uint32_t> flat(16, rgb(7, 7, 7));
    const Disorder d = measure_disorder(flat.data(), 4, 4, RED_DOWN);
    EXPECT_EQ(d.red + d.blue + d.green, 0.0);
    const std::vector<std::uint32_t> empty(16, 0);
    const Disorder none = measure_disorder(empty.data(), 4, 4, RED_UP);
    EXPECT_EQ(none.red + none.blue + none.green, 0.0);
}

TEST(DisorderTest, CountsOnlyPairsOfTwoSurfacePixels) {
    // Three columns, two rows; the left column is background (one of them a
    // tagged background word). Red pairs: (1,0)-(1,1) out of order for red up,
    // (2,0)-(2,1) in order. Blue's only pair: (2,0)-(1,1); (1,0) with the
    // background below-left would be in order. Green's only pair: (1,0)-(2,1).
    const std::uint32_t background = 0xFF000000;
    const std::vector<std::uint32_t> px = {
        0, rgb(1, 9, 0), rgb(9, 0, 9), background, rgb(5, 0, 0), rgb(1, 5, 0),
    };
    const Disorder d = measure_disorder(px.data(), 3, 2, RED_UP);
    EXPECT_EQ(d.red, 0.5);
    EXPECT_EQ(d.blue, 1.0);   // blue 9 above-right of blue 0
    EXPECT_EQ(d.green, 1.0);  // green 9 above-left of green 5
}

TEST(DisorderTest, DiagonalPairsDoNotWrapAcrossTheImageEdge) {
    // Each row rises left to right in blue and green, so a wrapped pair
    // (last column with the next row's first) would be out of order.
    const std::vector<std::uint32_t> px = {
        rgb(1, 1, 1), rgb(1, 1, 1), rgb(1, 9, 9), rgb(1, 1, 1), rgb(1, 1, 1), rgb(1, 9, 9),
    };
    const Disorder d = measure_disorder(px.data(), 3, 2, RED_UP);
    EXPECT_EQ(d.blue, 0.5);   // (2,0)-(1,1) out of order, (1,0)-(0,1) not
    EXPECT_EQ(d.green, 0.0);  // (1,0)-(2,1) and (0,0)-(1,1) in order
}

}  // namespace
