#include <gtest/gtest.h>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/rotation.h"
#include "tests/render/render_test_support.h"

namespace {

using RenderFiles = RenderTest;

TEST_F(RenderFiles, ThePngIsTheEnginesPictureForTheSeedAndCarriesItsRecipe) {
    struct Case {
        SurfaceKind surface;
        const char* shape;
        std::int32_t size;
        std::int32_t red;
        const char* red_name;
    };
    // Both sort variants and both red directions.
    for (const Case c : {Case{SURFACE_CIRCLE, "circle", 256, RED_UP, "up"},
                         Case{SURFACE_TRIANGLE_INVERTED, "inverted-triangle", 512, RED_DOWN, "down"}}) {
        const std::string args = std::string("--shape ") + c.shape + " --size " + std::to_string(c.size) + " --red " +
                                 c.red_name + " --seed 777 --iterations 3000000 --png p.png --force";
        ASSERT_EQ(run(args).exit_code, 0) << args;
        DecodedPng png;
        ASSERT_TRUE(decode_png(path("p.png"), png));
        ASSERT_EQ(png.width, c.size);
        ASSERT_EQ(png.height, c.size);
        EXPECT_TRUE(png.colours == engine_picture(c.surface, c.size, c.red, 777, 3000000)) << args;
        EXPECT_EQ(png.text["Shape"], c.shape);
        EXPECT_EQ(png.text["Size"], std::to_string(c.size));
        EXPECT_EQ(png.text["Red"], c.red_name);
        EXPECT_EQ(png.text["Seed"], "777");
        EXPECT_EQ(png.text["Iterations"], "3000000");
        release_image();
    }
}

TEST_F(RenderFiles, SameSeedGivesIdenticalFilesAndAnotherSeedAnotherPicture) {
    const std::string outputs = " --png p.png --loop-gif l.gif --curve c.csv --sort-gif s.gif --frames 5";
    ASSERT_EQ(run("--seed 5 --until-settled" + outputs).exit_code, 0);
    const std::string first[] = {read_bytes(path("p.png")), read_bytes(path("l.gif")), read_bytes(path("c.csv")),
                                 read_bytes(path("s.gif"))};
    ASSERT_EQ(run("--seed 5 --until-settled --force" + outputs).exit_code, 0);
    EXPECT_EQ(read_bytes(path("p.png")), first[0]);
    EXPECT_EQ(read_bytes(path("l.gif")), first[1]);
    EXPECT_EQ(read_bytes(path("c.csv")), first[2]);
    EXPECT_EQ(read_bytes(path("s.gif")), first[3]);
    EXPECT_EQ(read_bytes(path("c.csv")).rfind("iterations,red,blue,green\n0,", 0), 0u);

    ASSERT_EQ(run("--seed 6 --until-settled --png q.png").exit_code, 0);
    DecodedPng five, six;
    ASSERT_TRUE(decode_png(path("p.png"), five));
    ASSERT_TRUE(decode_png(path("q.png"), six));
    EXPECT_NE(five.colours, six.colours);
}

TEST_F(RenderFiles, TheLoopGifIsTheRotationOfTheFinalPictureAndLoopsSeamlessly) {
    ASSERT_EQ(run("--shape torus --seed 31 --iterations 4000000 --speed 5 --loop-gif l.gif").exit_code, 0);
    DecodedGif gif;
    ASSERT_TRUE(decode_gif(path("l.gif"), gif));
    EXPECT_EQ(gif.loop_count, 0) << "loops forever";
    ASSERT_EQ(gif.frames.size(), static_cast<std::size_t>(PALETTE_SIZE));

    std::vector<std::uint32_t> pixels = engine_picture(SURFACE_TORUS, 256, RED_UP, 31, 4000000);
    tag_pixels(palette, pixels.data(), static_cast<std::uint32_t>(pixels.size()));
    for (int step = 0; step < PALETTE_SIZE; ++step) {
        ASSERT_TRUE(gif.frames[step] == colour_bits(pixels)) << "frame " << step + 1;
        EXPECT_EQ(gif.delays[step], 6) << "speed 5 pauses 64 ms";
        rotate_palette(palette, pixels.data(), static_cast<std::uint32_t>(pixels.size()));
    }
    // One more ordinary step after the last frame shows the first again.
    EXPECT_TRUE(gif.frames[0] == colour_bits(pixels));
    EXPECT_NE(gif.frames[1], gif.frames[0]);
}

TEST_F(RenderFiles, TheSortGifRunsFromTheNoiseToTheFinalPicture) {
    ASSERT_EQ(run("--shape square --seed 8 --iterations 2000000 --sort-gif s.gif --frames 3 --png p.png").exit_code, 0);
    DecodedGif gif;
    ASSERT_TRUE(decode_gif(path("s.gif"), gif));
    ASSERT_EQ(gif.frames.size(), 3u);
    EXPECT_TRUE(gif.frames[0] == engine_picture(SURFACE_SQUARE, 256, RED_UP, 8, 0));
    release_image();
    EXPECT_TRUE(gif.frames[1] == engine_picture(SURFACE_SQUARE, 256, RED_UP, 8, 1000000));
    release_image();
    DecodedPng png;
    ASSERT_TRUE(decode_png(path("p.png"), png));
    EXPECT_TRUE(gif.frames[2] == png.colours);
    EXPECT_EQ(gif.loop_count, 0);
}

}  // namespace
