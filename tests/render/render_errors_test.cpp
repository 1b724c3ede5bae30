// huesift-render's refusals and failures: bad command lines, unwritable or
// existing targets, interrupted writes, and the options' defaults and values.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "render/animations.h"
#include "render/options.h"
#include "render/output_file.h"
#include "tests/printers.h"
#include "tests/render/render_test_support.h"

namespace {

using RenderErrors = RenderTest;

void write_text(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// Polls `condition` until it holds or a generous bound has passed.
template <typename Condition>
bool wait_until_true(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

TEST_F(RenderErrors, ABadCommandLineExitsWithTwoAndTheUsage) {
    for (const char* args :
         {"--bogus", "--shape hexagon", "--size 300", "--seed -1", "--seed 4294967296", "--frames 5",
          "--sort-gif s.gif", "--speed 6", "--iterations 5 --until-settled", "--png a.png --curve a.png", "--seed"}) {
        const ProgramResult result = run(args);
        EXPECT_EQ(result.exit_code, 2) << args;
        EXPECT_NE(result.standard_error.find("huesift-render: "), std::string::npos) << args;
        EXPECT_NE(result.standard_error.find("Usage: huesift-render"), std::string::npos) << args;
    }
    EXPECT_TRUE(files().empty());
    EXPECT_EQ(run("--help").exit_code, 0);
    EXPECT_EQ(run("--version").exit_code, 0);
}

// Runs huesift-render with these arguments as they are, no shell between,
// and gives its standard error.
std::string standard_error_of(const std::vector<std::string>& arguments) {
    int channel[2];
    if (pipe(channel) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(channel[1], STDERR_FILENO);
        close(channel[0]);
        std::vector<char*> argv{const_cast<char*>("huesift-render")};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(HUESIFT_RENDER_PATH, argv.data());
        _exit(127);
    }
    close(channel[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(channel[0], buffer, sizeof(buffer))) > 0;) text.append(buffer, got);
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return text;
}

// A hostile or careless value comes back in the error on one line, bounded,
// with no byte a terminal would act on: every control byte, DEL, the marks
// that reorder text and invalid UTF-8 escaped, and a value longer than 60
// characters cut short with its length.
TEST(RenderErrorMessages, ShowTheUsersTextEscapedShortenedAndOnOneLine) {
    const std::string long_value(100'000, 'x');
    std::string two_byte_characters;
    for (int i = 0; i < 60; ++i) two_byte_characters += "\xC3\xBC";
    struct Case {
        const char* what;
        std::string value;
        std::string shown;  // expected within the message
    };
    const Case cases[] = {
        {"a newline", "one\ntwo", "'one\\ntwo'"},
        {"a terminal escape", "\x1b[2J\x1b]0;title\x07", "'\\x1B[2J\\x1B]0;title\\x07'"},
        {"invalid UTF-8", "caf\xE9 \xC0\xAF \xED\xA0\x80", "'caf\\xE9 \\xC0\\xAF \\xED\\xA0\\x80'"},
        {"a C1 control, DEL and a backslash",
         "\xC2\x9B"
         "31m\x7F\\",
         "'\\xC2\\x9B31m\\x7F\\\\'"},
        {"valid UTF-8", "gr\xC3\xBCn \xE2\x96\xB3", "'gr\xC3\xBCn \xE2\x96\xB3'"},
        {"the marks that reorder text", "\xE2\x80\x8E\xE2\x80\x8F\xE2\x80\xAA\xE2\x80\xAE\xE2\x81\xA6\xE2\x81\xA9",
         "'\\xE2\\x80\\x8E\\xE2\\x80\\x8F\\xE2\\x80\\xAA\\xE2\\x80\\xAE\\xE2\\x81\\xA6\\xE2\\x81\\xA9'"},
        {"60 characters, whole", two_byte_characters, "'" + two_byte_characters + "'"},
        {"61 characters, cut", std::string(61, 'y'), "'" + std::string(60, 'y') + "...' (61 bytes)"},
        {"100 KB", long_value, "...' (100000 bytes)"},
    };
    for (const Case& c : cases) {
        // Every way an option echoes what it was given.
        const std::vector<std::vector<std::string>> command_lines = {
            {"--seed", c.value},
            {"--shape=" + c.value},
            {c.value},
            {"--png", c.value, "--curve", c.value},
        };
        for (const std::vector<std::string>& arguments : command_lines) {
            const std::string error = standard_error_of(arguments);
            const std::size_t usage = error.find("\nUsage: huesift-render");
            ASSERT_NE(usage, std::string::npos) << c.what << ": " << error.substr(0, 200);
            const std::string message = error.substr(0, usage);
            EXPECT_TRUE(message.starts_with("huesift-render: ")) << c.what;
            EXPECT_NE(message.find(c.shown), std::string::npos) << c.what << ": " << message;
            EXPECT_LE(message.size(), 400u) << c.what;
            for (const char byte : message) {
                const auto u = static_cast<unsigned char>(byte);
                ASSERT_FALSE(u < 0x20 || u == 0x7F) << c.what << ": byte " << int(u) << " in " << message;
            }
        }
    }
}

TEST_F(RenderErrors, AnUnwritableTargetStopsTheRunBeforeItStartsAndLeavesNothing) {
    const ProgramResult result = run("--seed 1 --png p.png --curve missing/c.csv");
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.standard_error.find("missing/c.csv"), std::string::npos);
    EXPECT_TRUE(files().empty()) << "the PNG, which could be written, waits for a run that never started";
}

TEST_F(RenderErrors, NothingIsOverwrittenWithoutForce) {
    write_text(path("p.png"), "keep me");
    EXPECT_EQ(run("--seed 1 --iterations 10 --png p.png").exit_code, 1);
    EXPECT_EQ(read_bytes(path("p.png")), "keep me");
    EXPECT_EQ(run("--seed 1 --iterations 10 --png p.png --force").exit_code, 0);
    DecodedPng png;
    EXPECT_TRUE(decode_png(path("p.png"), png));
    EXPECT_EQ(files(), std::vector<std::string>{"p.png"});
}

TEST_F(RenderErrors, AFailedWriteLeavesNoFileAndATargetThatAppearedIsKept) {
    std::string error;
    EXPECT_FALSE(write_whole_file(
        path("x.csv"), false,
        [](std::FILE* stream, std::string& failure) {
            std::fputs("half", stream);
            failure = "disk full";
            return false;
        },
        error));
    EXPECT_NE(error.find("disk full"), std::string::npos);
    EXPECT_TRUE(files().empty());

    // A file made by someone else while the output was being written.
    EXPECT_FALSE(write_whole_file(
        path("y.csv"), false,
        [&](std::FILE* stream, std::string&) {
            write_text(path("y.csv"), "theirs");
            return std::fputs("ours", stream) >= 0;
        },
        error));
    EXPECT_EQ(read_bytes(path("y.csv")), "theirs");
    EXPECT_EQ(files(), std::vector<std::string>{"y.csv"});
}

TEST_F(RenderErrors, AnInterruptWhileWritingLeavesNoTemporaryFile) {
    // The sort GIF is written while its sort is replayed. Many large frames
    // keep it writing for seconds, so a busy machine cannot let it finish
    // between the sighting of its temporary file and the signal.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        execl(HUESIFT_RENDER_PATH, "huesift-render", "--quiet", "--seed", "3", "--size", "512", "--iterations",
              "100000000", "--sort-gif", "s.gif", "--frames", "300", static_cast<char*>(nullptr));
        _exit(127);
    }
    const bool writing = wait_until_true([&] {
        for (const std::string& name : files())
            if (name.starts_with("s.gif.tmp-")) return true;
        return false;
    });
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(writing) << "the sort GIF was never being written";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    EXPECT_TRUE(files().empty()) << files().front();
}

TEST(RenderOptions, DefaultsAreTheWindowProgramsAndValuesTakeBothForms) {
    RenderOptions options;
    std::string error;
    const char* none[] = {"huesift-render"};
    ASSERT_EQ(parse_render_options(1, none, options, error), PARSE_RUN);
    const SettingsValues defaults;
    EXPECT_EQ(options.recipe, (PictureRecipe{defaults.surface, defaults.image_size, defaults.red_direction, 0}));
    EXPECT_TRUE(options.until_settled);
    EXPECT_FALSE(options.seed_given);

    const char* some[] = {"huesift-render",
                          "--shape=inverted-triangle",
                          "--size",
                          "512",
                          "--red=down",
                          "--iterations",
                          "12",
                          "--seed=4294967295",
                          "--speed",
                          "3"};
    ASSERT_EQ(parse_render_options(10, some, options, error), PARSE_RUN) << error;
    EXPECT_EQ(options.recipe, (PictureRecipe{SURFACE_TRIANGLE_INVERTED, IMAGE_SIZE_BIG, RED_DOWN, 4294967295u}));
    EXPECT_FALSE(options.until_settled);
    EXPECT_EQ(options.iterations, 12u);
    EXPECT_EQ(rotation_delay_for_speed(options.speed), 32);
}

// Each number is taken from its least to its greatest value, and the first
// value past either end is refused.
TEST(RenderOptions, EachNumberTakesItsWholeRangeAndNothingPastEitherEnd) {
    struct Case {
        const char* option;
        const char* least;
        const char* greatest;
        const char* below;
        const char* above;
        std::uint64_t (*taken)(const RenderOptions&);
    };
    const Case cases[] = {
        {"--seed", "0", "4294967295", "-1", "4294967296",
         [](const RenderOptions& o) -> std::uint64_t { return o.recipe.seed; }},
        {"--iterations", "0", "1000000000000", "-1", "1000000000001",
         [](const RenderOptions& o) -> std::uint64_t { return o.iterations; }},
        {"--frames", "2", "1000", "1", "1001", [](const RenderOptions& o) -> std::uint64_t { return o.frames; }},
        {"--speed", "1", "5", "0", "6", [](const RenderOptions& o) -> std::uint64_t { return o.speed; }},
    };
    for (const Case& c : cases) {
        for (const char* value : {c.least, c.greatest, c.below, c.above}) {
            // A sort GIF, so that --frames is allowed; a later --frames wins.
            const char* argv[] = {"huesift-render", "--sort-gif", "s.gif", "--frames", "2", c.option, value};
            RenderOptions options;
            std::string error;
            const ParseOutcome outcome = parse_render_options(7, argv, options, error);
            if (value == c.least || value == c.greatest) {
                EXPECT_EQ(outcome, PARSE_RUN) << c.option << " " << value << ": " << error;
                EXPECT_EQ(c.taken(options), std::stoull(value)) << c.option << " " << value;
            } else {
                EXPECT_EQ(outcome, PARSE_ERROR) << c.option << " " << value;
                EXPECT_EQ(error, std::string("bad value for ") + c.option + ": '" + value + "'");
            }
        }
    }
}

TEST(RenderOptions, LoopDelaysFollowTheSpeedButNeverDropBelowWhatViewersShow) {
    const int delays[ROTATION_SPEED_COUNT] = {2, 2, 2, 3, 6};
    for (int speed = 1; speed <= ROTATION_SPEED_COUNT; ++speed)
        EXPECT_EQ(loop_frame_delay(rotation_delay_for_speed(speed)), delays[speed - 1]) << "speed " << speed;
}

}  // namespace
