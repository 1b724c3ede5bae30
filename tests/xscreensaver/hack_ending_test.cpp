// How the hack ends: on SIGTERM (XScreenSaver's way) and SIGINT, and when its
// window is destroyed under it, at any moment of its drawing, cleanly with
// code 0 and without an X error; and with one line and code 1 when it cannot
// run at all.
#include <csignal>
#include <cstring>
#include <thread>

#include "tests/xscreensaver/hack_test_support.h"

namespace {

class HackEndingTest : public EngineTest {};

// Waits until the hack has drawn something that is not black in `target`.
bool drawn(Window target) {
    return wait_until([&] {
        int width = 0, height = 0;
        const auto pixels = read_window(target, width, height);
        return std::count(pixels.begin(), pixels.end(), 0u) > 0 &&
               std::any_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p != 0 && p != 0xFFFFFF; });
    });
}

TEST_F(HackEndingTest, EndSignalsEndItCleanly) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        const Window target = make_window(600, 500);
        HackProcess hack = start_hack({"-window-id", window_id_text(target)});
        HackGuard guard{hack};
        ASSERT_TRUE(drawn(target));
        ASSERT_TRUE(end_hack(hack, signal)) << "still running after the signal";
        EXPECT_EQ(hack.exit_code, 0);
        EXPECT_EQ(hack.standard_error, "");
        XDestroyWindow(test_display(), target);
    }
}

// The window goes while the hack sorts and draws 30 frames a second, a
// frame's put perhaps still on its way: with shared images and without, at
// once and a little later.
TEST_F(HackEndingTest, ItsWindowDestroyedEndsItCleanly) {
    for (const bool shared : {true, false})
        for (const int delay_ms : {0, 7, 40, 150}) {
            SCOPED_TRACE(std::string(shared ? "shared" : "plain") + ", " + std::to_string(delay_ms) + " ms");
            const Window target = make_window(1000, 1000);
            HackProcess hack = start_hack({"-size", "512", "-window-id", window_id_text(target)}, None,
                                          {shared ? "HUESIFT_NO_SHM=0" : "HUESIFT_NO_SHM=1"});
            HackGuard guard{hack};
            ASSERT_TRUE(drawn(target));
            std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
            XDestroyWindow(test_display(), target);
            XFlush(test_display());
            ASSERT_TRUE(wait_for_exit(hack)) << "still running without its window";
            EXPECT_EQ(hack.exit_code, 0);
            EXPECT_EQ(hack.standard_error, "");
        }
}

TEST_F(HackEndingTest, ItsOwnWindowDestroyedEndsItCleanly) {
    HackProcess hack = start_hack({"-window"});
    HackGuard guard{hack};
    const Window own = wait_for_own_window();
    ASSERT_NE(own, None);
    ASSERT_TRUE(drawn(own));
    Display* display = test_display();
    XDestroyWindow(display, own);
    XFlush(display);
    ASSERT_TRUE(wait_for_exit(hack));
    EXPECT_EQ(hack.exit_code, 0);
    EXPECT_EQ(hack.standard_error, "");
}

TEST_F(HackEndingTest, WithNowhereToDrawItSaysSoInOneLine) {
    const HackProcess missing = run_hack({"-window-id", "0x1fffffff"});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_EQ(missing.standard_error, "huesift: there is no window 0x1fffffff\n");

    const HackProcess no_display = run_hack({"-display", ":4000"});
    EXPECT_EQ(no_display.exit_code, 1);
    EXPECT_EQ(no_display.standard_error, "huesift: cannot open display :4000\n");
}

}  // namespace
