// The measures the drivers take of what a program shows, on pictures made
// up here: a rotation must not pass for a sort, nor a sort for a rotation,
// or the end-to-end and screensaver tests would see what did not happen.
#include <gtest/gtest.h>

#include <vector>

#include "engine/palette.h"
#include "tools/driving/screen_picture.h"

namespace {

constexpr int B = BLACK_INDEX;

std::vector<int> rotated(std::vector<int> indices, int step) {
    for (int& index : indices)
        if (index >= 0) index = (index + step) % PALETTE_SIZE;
    return indices;
}

TEST(ScreenPicture, TellsAPaletteRotationFromASortAndFromAnythingElse) {
    const std::vector<int> picture = {B, 3, 40, 89, B, 0, 17, 3};
    std::vector<int> exchanged = picture;
    std::swap(exchanged[1], exchanged[2]);  // what a sort step does
    std::vector<int> reshaped = rotated(picture, 5);
    reshaped[0] = 8;  // a black pixel took a colour
    std::vector<int> foreign = rotated(picture, 5);
    foreign[3] = FOREIGN_INDEX;

    struct Case {
        const char* what;
        std::vector<int> after;
        int step;
        bool sorted;
    };
    const Case cases[] = {
        {"unchanged", picture, 0, false},
        {"rotated by 1", rotated(picture, 1), 1, false},
        {"rotated by 89, past the palette's end", rotated(picture, 89), 89, false},
        {"two pixels exchanged", exchanged, -1, true},
        {"a black pixel coloured", reshaped, -1, false},
        {"a colour outside the palette", foreign, -1, false},
        {"another size", {B, 3}, -1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(palette_step_between(picture, c.after), c.step) << c.what;
        EXPECT_EQ(looks_rotated_between(picture, c.after), c.step > 0) << c.what;
        EXPECT_EQ(looks_sorted_between(picture, c.after), c.sorted) << c.what;
    }
    EXPECT_EQ(palette_index_of(0), BLACK_INDEX);
    EXPECT_EQ(palette_index_of(0x00010203), FOREIGN_INDEX);
}

}  // namespace
