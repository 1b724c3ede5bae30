// huesift-render's files: the PNG, the loop and sort GIFs and the curve read
// back and checked against the engine, and targets and limits that lose nothing.
#include <gtest/gtest.h>

#include <gif_lib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>

#include "engine/disorder.h"
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
        const ProgramResult result = run(args);
        ASSERT_EQ(result.exit_code, 0) << args;
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
        EXPECT_EQ(png.text_keys,
                  (std::vector<std::string>{"Shape", "Size", "Red", "Seed", "Iterations", "Command", "Software"}));
        const std::string summary = png.text["Command"] + " in ";
        EXPECT_EQ(result.standard_output.substr(0, summary.size()), summary);
        release_image();
    }
}

// The permission bits of a file, in octal.
std::string mode_of(const std::string& path) {
    struct stat file;
    if (stat(path.c_str(), &file) != 0) return "none";
    char octal[8];
    std::snprintf(octal, sizeof octal, "%o", static_cast<unsigned>(file.st_mode & 07777));
    return octal;
}

// Every output gets the permissions any new file of the user gets, whether
// it is new or replaces one: 0666 less the umask. The curve runs from the
// noise's disorder to the last iteration, and the line on standard output
// repeats the run and says that it settled. Without --seed the clock's
// seconds are the seed, told on standard error.
TEST_F(RenderFiles, SameSeedGivesIdenticalFilesAndAnotherSeedAnotherPicture) {
    const std::string outputs = " --png p.png --loop-gif l.gif --curve c.csv --sort-gif s.gif --frames 5";
    const mode_t umask_before = umask(022);
    const ProgramResult first_run = run("--seed 5 --until-settled" + outputs);
    umask(077);
    const std::string first[] = {read_bytes(path("p.png")), read_bytes(path("l.gif")), read_bytes(path("c.csv")),
                                 read_bytes(path("s.gif"))};
    std::vector<std::string> modes;
    for (const char* name : {"p.png", "l.gif", "c.csv", "s.gif"}) modes.push_back(mode_of(path(name)));
    const ProgramResult second_run = run("--seed 5 --until-settled --force" + outputs);
    umask(umask_before);
    ASSERT_EQ(first_run.exit_code, 0);
    ASSERT_EQ(second_run.exit_code, 0);
    EXPECT_EQ(modes, std::vector<std::string>(4, "644")) << "under umask 022";
    for (const char* name : {"p.png", "l.gif", "c.csv", "s.gif"}) EXPECT_EQ(mode_of(path(name)), "600") << name;
    EXPECT_EQ(read_bytes(path("p.png")), first[0]);
    EXPECT_EQ(read_bytes(path("l.gif")), first[1]);
    EXPECT_EQ(read_bytes(path("c.csv")), first[2]);
    EXPECT_EQ(read_bytes(path("s.gif")), first[3]);

    DecodedPng five, six;
    ASSERT_TRUE(decode_png(path("p.png"), five));
    const std::vector<std::uint32_t> noise = engine_picture(SURFACE_CIRCLE, 256, RED_UP, 5, 0);
    const Disorder start = measure_disorder(noise.data(), 256, 256, RED_UP);
    release_image();
    char first_row[100];
    std::snprintf(first_row, sizeof first_row, "0,%.6f,%.6f,%.6f\n", start.red, start.blue, start.green);
    const std::string curve = read_bytes(path("c.csv"));
    const std::string curve_start = std::string("iterations,red,blue,green\n") + first_row;
    EXPECT_EQ(curve.substr(0, curve_start.size()), curve_start);
    EXPECT_TRUE(curve.substr(curve.rfind('\n', curve.size() - 2) + 1).starts_with(five.text["Iterations"] + ","));
    const std::string summary = five.text["Command"] + " (settled) in ";
    EXPECT_EQ(first_run.standard_output.substr(0, summary.size()), summary);

    const std::time_t before = std::time(nullptr);
    const ProgramResult clock_run = run("--until-settled --png q.png");
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(clock_run.exit_code, 0);
    ASSERT_TRUE(decode_png(path("q.png"), six));
    EXPECT_TRUE(clock_run.standard_error.starts_with("seed " + six.text["Seed"] + "\n")) << clock_run.standard_error;
    const long long seed = std::stoll(six.text["Seed"]);
    EXPECT_TRUE(seed >= before && seed <= after) << seed;
    EXPECT_NE(five.colours, six.colours);
}

TEST_F(RenderFiles, TheLoopGifIsTheRotationOfTheFinalPictureAndLoopsSeamlessly) {
    ASSERT_EQ(run("--shape torus --seed 31 --iterations 4000000 --speed 5 --loop-gif l.gif").exit_code, 0);
    DecodedGif gif;
    ASSERT_TRUE(decode_gif(path("l.gif"), gif));
    EXPECT_EQ(gif.loop_count, 0) << "loops forever";
    EXPECT_EQ(read_bytes(path("l.gif")).substr(0, 6), "GIF89a") << "the version that has frame delays and looping";
    ASSERT_EQ(gif.frames.size(), static_cast<std::size_t>(PALETTE_SIZE));

    std::vector<std::uint32_t> pixels = engine_picture(SURFACE_TORUS, 256, RED_UP, 31, 4000000);
    tag_pixels(palette, pixels.data(), static_cast<std::uint32_t>(pixels.size()));
    for (int step = 0; step < PALETTE_SIZE; ++step) {
        ASSERT_TRUE(gif.frames[step] == colour_bits(pixels)) << "frame " << step + 1;
        EXPECT_EQ(gif.delays[step], 6) << "speed 5 pauses 64 ms";
        EXPECT_EQ(gif.disposals[step], DISPOSE_DO_NOT) << "each frame stays until the next covers it";
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
    EXPECT_EQ(gif.delays, (std::vector<int>{10, 10, 300})) << "a tenth of a second each; the end held three seconds";
    EXPECT_EQ(gif.disposals, std::vector<int>(3, DISPOSE_DO_NOT));
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
    // An output is written as NAME.tmp-XXXXXX first, so NAME may be that
    // much shorter than the longest name the folder takes.
    const std::size_t longest_name =
        static_cast<std::size_t>(pathconf(folder.c_str(), _PC_NAME_MAX)) - std::string(".tmp-XXXXXX").size();
    const std::string longest = std::string(longest_name - 4, 'n') + ".csv";
    const std::string too_long = "n" + longest;
    const std::string at_most = "(at most " + std::to_string(longest_name) + " bytes here)";
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
        {"two hard links of one file",
         [&] {
             std::ofstream(path("c.csv")) << "iterations,red,blue,green\n";
             ASSERT_EQ(::link(path("c.csv").c_str(), path("d.csv").c_str()), 0);
         },
         quick + " --curve c.csv --png d.csv --force", {}, 2, "same file", {"c.csv", "d.csv"}, {}},
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
        {"a name too long for the temporary file", nothing, quick + " --png p.png --curve " + too_long, {},
         1, at_most.c_str(), {}, {}},
        {"the longest name the temporary file allows", nothing, quick + " --png p.png --curve " + longest, {},
         0, "", {longest, "p.png"}, {}},
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
