// The engine's rasteriser: the drawing context and its stock objects,
// ellipses, lines, the flood fill, pixel read-back and blackening.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/drawing.h"
#include "engine/image.h"

namespace {

// A context with its own w x h black bitmap, released at the end.
struct Canvas {
    DrawingContext* dc = create_drawing_context();
    std::vector<std::uint32_t> bits;
    Bitmap bitmap;
    Canvas(int w, int h) : bits(static_cast<std::size_t>(w) * h, 0) {
        bitmap.width = w;
        bitmap.height = h;
        bitmap.bits = bits.data();
        select_bitmap(dc, &bitmap);
    }
    ~Canvas() {
        select_bitmap(dc, nullptr);
        delete_drawing_context(dc);
    }
    std::uint32_t at(int x, int y) const { return bits[y * bitmap.width + x]; }
    int count(std::uint32_t colour) const { return static_cast<int>(std::count(bits.begin(), bits.end(), colour)); }
};

}  // namespace

TEST(Drawing, AFreshContextHoldsBlackPenWhiteBrushAndAPlaceholder) {
    DrawingContext* dc = create_drawing_context();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(dc->pen, STOCK_BLACK_PEN);
    EXPECT_EQ(dc->brush, STOCK_WHITE_BRUSH);
    EXPECT_EQ(dc->bitmap->width, 1);
    EXPECT_EQ(dc->bitmap->height, 1);

    Bitmap mine{4, 4, nullptr};
    std::uint32_t pixels[16] = {};
    mine.bits = pixels;
    Bitmap* placeholder = select_bitmap(dc, &mine);
    EXPECT_EQ(placeholder, &dc->placeholder);
    EXPECT_EQ(select_bitmap(dc, placeholder), &mine);

    EXPECT_EQ(select_object(dc, STOCK_WHITE_PEN), STOCK_BLACK_PEN);
    EXPECT_EQ(select_object(dc, STOCK_BLACK_BRUSH), STOCK_WHITE_BRUSH);
    EXPECT_EQ(dc->pen, STOCK_WHITE_PEN) << "selecting a brush must keep the pen";
    EXPECT_EQ(select_object(dc, STOCK_WHITE_BRUSH), STOCK_BLACK_BRUSH);
    delete_drawing_context(dc);
}

TEST(Drawing, EllipseFillsTheInscribedShapeRightAndBottomExclusive) {
    for (int size : {256, 512}) {
        Canvas canvas(size + 8, size + 8);
        select_object(canvas.dc, STOCK_WHITE_PEN);
        draw_ellipse(canvas.dc, 0, 0, size, size);
        const int mid = size / 2;
        // Extreme pixels present, nothing at or past the exclusive edges.
        EXPECT_NE(canvas.at(0, mid), 0u);
        EXPECT_NE(canvas.at(size - 1, mid), 0u);
        EXPECT_NE(canvas.at(mid, 0), 0u);
        EXPECT_NE(canvas.at(mid, size - 1), 0u);
        for (int i = 0; i < size + 8; ++i) {
            EXPECT_EQ(canvas.at(size, i), 0u);
            EXPECT_EQ(canvas.at(i, size), 0u);
        }
        EXPECT_EQ(canvas.at(0, 0), 0u);
        EXPECT_EQ(canvas.at(size - 1, size - 1), 0u);
        // Symmetric about both axes and both diagonals.
        int asymmetric = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const std::uint32_t v = canvas.at(x, y);
                asymmetric += v != canvas.at(size - 1 - x, y) || v != canvas.at(x, size - 1 - y) ||
                              v != canvas.at(y, x) || v != canvas.at(size - 1 - y, size - 1 - x);
            }
        EXPECT_EQ(asymmetric, 0) << size;
        // The area is close to the disc's.
        const double disc = 3.14159265 * size * size / 4;
        EXPECT_NEAR(canvas.count(COLOUR_WHITE), disc, size * 2.0);
    }
}

TEST(Drawing, EllipseOutlineIsOnePixelInThePenAroundTheBrush) {
    constexpr std::uint32_t GREY = 0x808080;
    Canvas canvas(64, 48);
    std::fill(canvas.bits.begin(), canvas.bits.end(), GREY);
    select_object(canvas.dc, STOCK_WHITE_PEN);
    select_object(canvas.dc, STOCK_BLACK_BRUSH);
    draw_ellipse(canvas.dc, 2, 3, 62, 43);
    auto outside = [&](int x, int y) { return canvas.at(x, y) == GREY; };
    int rim = 0, inside = 0;
    for (int y = 1; y < 47; ++y)
        for (int x = 1; x < 63; ++x) {
            if (outside(x, y)) continue;
            const bool borders_outside =
                outside(x - 1, y) || outside(x + 1, y) || outside(x, y - 1) || outside(x, y + 1);
            EXPECT_EQ(canvas.at(x, y), borders_outside ? COLOUR_WHITE : COLOUR_BLACK) << x << "," << y;
            (borders_outside ? rim : inside) += 1;
        }
    EXPECT_GT(rim, 120);
    EXPECT_GT(inside, 1500);
}

TEST(Drawing, LinesIncludeTheStartExcludeTheEndOnePixelPerStep) {
    Canvas canvas(256, 256);
    select_object(canvas.dc, STOCK_WHITE_PEN);
    move_to(canvas.dc, 0, 0);
    line_to(canvas.dc, 255, 0);
    line_to(canvas.dc, 128, 222);
    for (int x = 0; x <= 255; ++x) EXPECT_EQ(canvas.at(x, 0), COLOUR_WHITE) << x;
    EXPECT_EQ(canvas.at(128, 222), 0u) << "the end point is excluded";
    EXPECT_EQ(canvas.count(COLOUR_WHITE), 255 + 222);  // one pixel per step along the longer axis
    EXPECT_EQ(canvas.dc->x, 128);
    EXPECT_EQ(canvas.dc->y, 222);

    // The slanted line has one pixel per row, each touching the previous and
    // within half a pixel of the exact line, x = 255 - 127 y / 222.
    int previous_x = -1;
    for (int y = 1; y < 222; ++y) {
        int found = -1, in_row = 0;
        for (int x = 0; x < 256; ++x)
            if (canvas.at(x, y)) {
                found = x;
                ++in_row;
            }
        ASSERT_EQ(in_row, 1) << "row " << y;
        EXPECT_LE(std::abs(2 * 222 * found - 2 * (255 * 222 - 127 * y)), 222) << "row " << y << " x " << found;
        if (previous_x >= 0) {
            EXPECT_LE(std::abs(found - previous_x), 1);
        }
        previous_x = found;
    }
}

TEST(Drawing, FloodFillStaysInsideATriangleOfSlantedLines) {
    for (int size : {256, 512}) {
        const int t = size == 512 ? 444 : 222;
        for (bool inverted : {false, true}) {
            Canvas canvas(size, size);
            select_object(canvas.dc, STOCK_WHITE_PEN);
            if (inverted) {
                move_to(canvas.dc, 0, 0);
                line_to(canvas.dc, size - 1, 0);
                line_to(canvas.dc, size / 2, t);
                line_to(canvas.dc, 0, 0);
            } else {
                move_to(canvas.dc, size / 2, 0);
                line_to(canvas.dc, size - 1, t);
                line_to(canvas.dc, 0, t);
                line_to(canvas.dc, size / 2, 0);
            }
            const int outline = canvas.count(COLOUR_WHITE);
            flood_fill(canvas.dc, size / 2, size / 2, COLOUR_WHITE);
            EXPECT_GT(canvas.count(COLOUR_WHITE), outline * 20);
            // Within each row the white pixels form one run, and no pixel
            // below the base or apex row is touched.
            for (int y = 0; y < size; ++y) {
                int first = -1, last = -1, count = 0;
                for (int x = 0; x < size; ++x)
                    if (canvas.at(x, y)) {
                        if (first < 0) first = x;
                        last = x;
                        ++count;
                    }
                if (y > t) {
                    EXPECT_EQ(count, 0) << "row " << y;
                } else if (count > 0) {
                    EXPECT_EQ(count, last - first + 1) << "row " << y;
                }
                // The run lies within a pixel of the exact triangle.
                const double half = inverted ? (size / 2.0) * (t - y) / t : (size / 2.0) * y / t;
                if (count > 0) {
                    EXPECT_GE(first, size / 2 - half - 1.5) << "row " << y;
                    EXPECT_LE(last, size / 2 + half + 1.5) << "row " << y;
                }
            }
        }
    }
}

TEST(Drawing, FloodFillCoversALargeOpenAreaWithoutDeepCalls) {
    // An empty 512 x 512 image fills entirely: the fill keeps its own stack.
    Canvas canvas(512, 512);
    flood_fill(canvas.dc, 7, 300, COLOUR_WHITE);
    EXPECT_EQ(canvas.count(COLOUR_WHITE), 512 * 512);
    // Starting on the border colour paints nothing.
    Canvas other(8, 8);
    other.bits[9] = COLOUR_WHITE;
    flood_fill(other.dc, 1, 1, COLOUR_WHITE);
    EXPECT_EQ(other.count(COLOUR_WHITE), 1);
}

TEST(Drawing, FloodFillPassesDiagonalGapsInTheBorderNot) {
    // A diamond of pixels that touch only at corners is a closed border for a
    // fill through edge-sharing neighbours.
    Canvas canvas(21, 21);
    for (int i = 0; i <= 10; ++i) {
        canvas.bits[(10 - i) * 21 + i] = COLOUR_WHITE;
        canvas.bits[(10 + i) * 21 + i] = COLOUR_WHITE;
        canvas.bits[(10 - i) * 21 + 20 - i] = COLOUR_WHITE;
        canvas.bits[(10 + i) * 21 + 20 - i] = COLOUR_WHITE;
    }
    flood_fill(canvas.dc, 10, 10, COLOUR_WHITE);
    EXPECT_EQ(canvas.at(0, 0), 0u);
    EXPECT_EQ(canvas.at(20, 20), 0u);
    EXPECT_EQ(canvas.at(10, 10), COLOUR_WHITE);
    EXPECT_EQ(canvas.count(COLOUR_WHITE), 221);  // the diamond |x-10|+|y-10| <= 10
}

TEST(Drawing, PixelReadBackGivesColourBitsAndBlackenClears) {
    Canvas canvas(4, 4);
    canvas.bits[5] = 0x2A000000;  // a tag alone reads as black
    canvas.bits[6] = 0x7F123456;
    EXPECT_EQ(get_pixel(canvas.dc, 1, 1), 0u);
    EXPECT_EQ(get_pixel(canvas.dc, 2, 1), 0x123456u);
    std::fill(canvas.bits.begin(), canvas.bits.end(), 0x00FFFFFFu);
    blacken(canvas.dc, 2, 3);
    EXPECT_EQ(canvas.count(0), 6);
    EXPECT_EQ(canvas.at(1, 2), 0u);
    EXPECT_EQ(canvas.at(2, 0), 0x00FFFFFFu);
    blacken(canvas.dc, 512, 512);  // larger than the bitmap: clipped
    EXPECT_EQ(canvas.count(0), 16);
}
