#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "render/animations.h"
#include "render/options.h"
#include "render/output_file.h"
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
        EXPECT_NE(result.standard_error.find("usage: huesift-render"), std::string::npos) << args;
    }
    EXPECT_TRUE(files().empty());
    EXPECT_EQ(run("--help").exit_code, 0);
    EXPECT_EQ(run("--version").exit_code, 0);
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
    // The sort GIF is written while its sort is replayed, which takes long
    // enough to interrupt it.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        execl(HUESIFT_RENDER_PATH, "huesift-render", "--quiet", "--seed", "3", "--iterations", "100000000",
              "--sort-gif", "s.gif", "--frames", "50", static_cast<char*>(nullptr));
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
    EXPECT_EQ(options.surface, SURFACE_CIRCLE);
    EXPECT_EQ(options.size, 256);
    EXPECT_EQ(options.red_direction, RED_UP);
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
    EXPECT_EQ(options.surface, SURFACE_TRIANGLE_INVERTED);
    EXPECT_EQ(options.size, 512);
    EXPECT_EQ(options.red_direction, RED_DOWN);
    EXPECT_FALSE(options.until_settled);
    EXPECT_EQ(options.iterations, 12u);
    EXPECT_EQ(options.seed, 4294967295u);
    EXPECT_EQ(rotation_delay_for_speed(options.speed), 32);
}

TEST(RenderOptions, LoopDelaysFollowTheSpeedButNeverDropBelowWhatViewersShow) {
    const int delays[SPEED_COUNT] = {2, 2, 2, 3, 6};
    for (int speed = 1; speed <= SPEED_COUNT; ++speed)
        EXPECT_EQ(loop_frame_delay(rotation_delay_for_speed(speed)), delays[speed - 1]) << "speed " << speed;
}

}  // namespace
