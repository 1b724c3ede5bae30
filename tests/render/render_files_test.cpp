// huesift-render's files: the PNG, the loop and sort GIFs and the curve read
// back and checked against the engine, and targets and limits that lose nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <new>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/rotation.h"
#include "render/options.h"
#include "render/output_file.h"
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
        EXPECT_EQ(png.text["Command"], "huesift-render " + args.substr(0, args.find(" --png")));
        EXPECT_EQ(png.text["Software"], RENDER_VERSION);
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

// What a file left in the folder must be: a picture or animation that its
// reader takes whole, a curve with its header, or the FIFO the case made,
// still a FIFO.
bool whole(const std::string& folder, const std::string& name) {
    const std::string file = folder + "/" + name;
    struct stat kind;
    if (lstat(file.c_str(), &kind) != 0) return false;
    if (name == "fifo") return S_ISFIFO(kind.st_mode);
    if (name.ends_with(".png")) {
        DecodedPng png;
        return S_ISREG(kind.st_mode) && decode_png(file, png);
    }
    if (name.ends_with(".gif")) {
        DecodedGif gif;
        return decode_gif(file, gif);
    }
    return name.ends_with(".csv") && read_bytes(file).starts_with("iterations,red,blue,green\n");
}

// Targets named in ways that hide what they are, and runs that meet limits,
// signals and a closed output: whatever happens, the outputs that could be
// written are there whole, nothing else is left behind, and the exit code
// says whether everything asked for was written.
TEST_F(RenderFiles, HostileTargetsAndLimitsLoseNothingAndLeaveNoDebris) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string arguments;
        RunConditions conditions;
        int exit_code;
        const char* message;             // part of standard error
        std::vector<std::string> files;  // the folder afterwards
        std::vector<std::string> links;  // those of them that are the links the case made
    };
    const std::string quick = "--quiet --seed 1 --iterations 1000";
    const std::string long_name = std::string(246, 'n') + ".csv";
    auto link = [&](const char* to, const char* name) { ASSERT_EQ(symlink(to, path(name).c_str()), 0); };
    auto nothing = [] {};
    RunConditions file_size_limit, output_closed, nohup;
    file_size_limit.file_size_limit_kb = 200;
    output_closed.output_closed = true;
    nohup.hang_up_ignored = true;
    nohup.signal_while_writing = SIGHUP;
    // clang-format off
    const Case cases[] = {
        {"one file named two ways", nothing, quick + " --png a.png --loop-gif ./a.png --force", {},
         2, "same file", {}, {}},
        {"by its full path", nothing, quick + " --png a.png --curve " + folder + "/a.png", {},
         2, "same file", {}, {}},
        {"through a folder link", [&] { link(".", "here"); }, quick + " --png c.csv --curve here/c.csv", {},
         2, "same file", {"here"}, {"here"}},
        {"standard output closed", nothing, quick + " --png p.png --curve c.csv", output_closed,
         1, "standard output", {"c.csv", "p.png"}, {}},
        {"a FIFO with --force", [&] { ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0); },
         quick + " --png p.png --curve fifo --force", {},
         1, "regular files", {"fifo"}, {}},
        {"--force first", [&] { std::ofstream(path("p.png")) << "old"; }, "--force " + quick + " --png p.png", {},
         0, "", {"p.png"}, {}},
        {"a file size limit, a failure between successes", nothing,
         quick + " --png p.png --loop-gif l.gif --curve c.csv", file_size_limit,
         1, "cannot write l.gif", {"c.csv", "p.png"}, {}},
        {"a hang-up ignored by nohup", nothing,
         "--quiet --seed 3 --iterations 100000000 --sort-gif s.gif --frames 50", nohup,
         0, "", {"s.gif"}, {}},
        {"a dangling link", [&] { link("nowhere.png", "p.png"); }, quick + " --curve c.csv --png p.png", {},
         1, "link to nothing", {"p.png"}, {"p.png"}},
        {"a dangling link with --force", [&] { link("nowhere.png", "p.png"); }, quick + " --png p.png --force", {},
         0, "", {"p.png"}, {}},
        {"a name too long for the temporary file", nothing, quick + " --png p.png --curve " + long_name, {},
         1, "too long", {}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        c.prepare();
        const ProgramResult result = run(c.arguments, c.conditions);
        EXPECT_EQ(result.exit_code, c.exit_code) << result.standard_error;
        EXPECT_NE(result.standard_error.find(c.message), std::string::npos) << result.standard_error;
        EXPECT_EQ(files(), c.files);
        for (const std::string& name : files()) {
            struct stat kind;
            const bool link = lstat(path(name).c_str(), &kind) == 0 && S_ISLNK(kind.st_mode);
            EXPECT_EQ(link, std::find(c.links.begin(), c.links.end(), name) != c.links.end()) << name;
            if (!link) {
                EXPECT_TRUE(whole(folder, name)) << name;
            }
        }
    }
}

// Under any memory limit the run ends with a message (or the loader's
// refusal before it starts), never an abort, and keeps what it finished.
TEST_F(RenderFiles, RunningOutOfMemoryKeepsTheFinishedFilesAndLeavesNoDebris) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory does not fit an address-space limit";
#endif
    const std::string outputs[] = {"c.csv", "l.gif", "p.png", "s.gif"};
    bool some_but_not_all = false;
    for (long limit_kb = 6500; limit_kb <= 10500; limit_kb += 500) {
        SCOPED_TRACE(limit_kb);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        RunConditions conditions;
        conditions.memory_limit_kb = limit_kb;
        const ProgramResult result = run(
            "--quiet --seed 1 --iterations 1000 --size 512 --png p.png --loop-gif l.gif --sort-gif s.gif --frames 20 "
            "--curve c.csv",
            conditions);
        const std::vector<std::string> left = files();
        for (const std::string& name : left) EXPECT_TRUE(whole(folder, name)) << name;
        if (result.exit_code == 127 && result.standard_error.find("loading shared libraries") != std::string::npos)
            continue;
        if (result.exit_code == 0) {
            EXPECT_EQ(left, std::vector<std::string>(std::begin(outputs), std::end(outputs)));
            continue;
        }
        EXPECT_EQ(result.exit_code, 1) << result.standard_error;
        // Ours says "out of memory", libpng "insufficient memory", the C
        // library "Cannot allocate memory".
        EXPECT_NE(result.standard_error.find("memory"), std::string::npos) << result.standard_error;
        some_but_not_all |= !left.empty();
    }
    EXPECT_TRUE(some_but_not_all) << "no limit let the run reach its outputs and fail among them";
}

TEST_F(RenderFiles, AnOutputThatRunsOutOfMemoryLeavesNoTemporaryFile) {
    std::string error;
    EXPECT_FALSE(write_whole_file(
        path("x.gif"), false,
        [](std::FILE* stream, std::string&) -> bool {
            std::fputs("half", stream);
            throw std::bad_alloc();
        },
        error));
    EXPECT_NE(error.find("out of memory"), std::string::npos) << error;
    EXPECT_TRUE(files().empty());
}

}  // namespace
