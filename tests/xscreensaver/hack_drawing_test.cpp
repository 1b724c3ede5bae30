// The hack's picture on the screen: in the window it is given (by
// -window-id or as XScreenSaver gives it), on the root window and in a window
// of its own; the engine's picture for the show's seed, enlarged by the
// largest whole factor with black around it, changing as it sorts, following
// the window's size, the same through shared memory and without it, and in
// 16-bit and 32-bit visuals.
#include <csignal>
#include <ctime>

#include "tests/xscreensaver/hack_test_support.h"

#include <X11/Xutil.h>

namespace {

class HackDrawingTest : public EngineTest {
protected:
    void TearDown() override {
        for (const Window window : windows) XDestroyWindow(test_display(), window);
        XSync(test_display(), False);
        EngineTest::TearDown();
    }

    Window window(int width, int height) { return windows.emplace_back(make_window(width, height)); }

    // Waits until `target` shows a picture of side `image_side` as the hack
    // places it and `accept` takes it.
    static ShownPicture wait_for_picture(Window target, int image_side,
                                         const std::function<bool(const ShownPicture&)>& accept = nullptr) {
        ShownPicture shown;
        std::string why;
        const bool seen = wait_until(
            [&] { return read_shown_picture(target, image_side, shown, why) && (!accept || accept(shown)); });
        EXPECT_TRUE(seen) << "last look: " << (why.empty() ? "not the picture awaited" : why);
        return shown;
    }

    std::vector<Window> windows;
};

// The window shows the engine's sort to the pixel; then the sort goes on,
// moving the picture's colours but keeping them and its shape.
void expect_engine_sort_going_on(HackProcess& hack, Window target, SurfaceKind surface, int size,
                                 std::uint32_t started) {
    expect_engine_sort_shown(hack, target, surface, size, RED_UP, started);
    ShownPicture first, later;
    std::string why;
    // A plain image larger than one request goes in several, so a look may
    // fall between them.
    ASSERT_TRUE(wait_until([&] { return read_shown_picture(target, size, first, why); })) << why;
    ASSERT_TRUE(wait_until([&] {
        return read_shown_picture(target, size, later, why) && later.pixels != first.pixels;
    })) << "the picture did not change: "
        << why;
    EXPECT_EQ(colour_counts(later.pixels), colour_counts(first.pixels)) << "the sort only moves colours";
    EXPECT_EQ(silhouette(later.pixels), silhouette(first.pixels));
}

TEST_F(HackDrawingTest, TheGivenWindowShowsTheEnginesPictureAtAWholeFactorAndItSorts) {
    // 512 at twice its size: 1024 rows fill the height, the sides stay black.
    for (const bool shared : {true, false}) {
        SCOPED_TRACE(shared ? "shared memory" : "plain images");
        const Window target = window(1100, 1024);
        const auto started = static_cast<std::uint32_t>(std::time(nullptr));
        HackProcess hack = start_hack({"-size", "512", "-shape", "torus", "-window-id", window_id_text(target)}, None,
                                      {shared ? "HUESIFT_NO_SHM=0" : "HUESIFT_NO_SHM=1", "HUESIFT_FRAME_LOG=1"});
        HackGuard guard{hack};
        expect_engine_sort_going_on(hack, target, SURFACE_TORUS, IMAGE_SIZE_BIG, started);
        ASSERT_TRUE(end_hack(hack, SIGTERM));
        EXPECT_EQ(hack.exit_code, 0);
        EXPECT_EQ(hack.standard_error.find("error"), std::string::npos) << hack.standard_error;
    }
}

TEST_F(HackDrawingTest, ThePictureFollowsTheWindowsSize) {
    const Window target = window(700, 600);
    HackProcess hack = start_hack({"-window-id", window_id_text(target)});
    HackGuard guard{hack};
    const auto circle = silhouette(engine_picture(SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_UP, 1));
    const auto circle_shown = [&](const ShownPicture& shown) { return silhouette(shown.pixels) == circle; };
    EXPECT_EQ(wait_for_picture(target, IMAGE_SIZE_SMALL, circle_shown).placement.factor, 2);

    resize_window(target, 300, 900);  // factor 1, black above and below
    EXPECT_EQ(wait_for_picture(target, IMAGE_SIZE_SMALL, circle_shown).placement.top, 322);
    resize_window(target, 1100, 1000);  // factor 3, black at the sides
    EXPECT_EQ(wait_for_picture(target, IMAGE_SIZE_SMALL, circle_shown).placement.factor, 3);

    // Smaller than the picture: shrunk to fit, every 200th of it shown.
    resize_window(target, 200, 240);
    std::vector<bool> shrunk(200 * 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) shrunk[y * 200 + x] = circle[(y * 256 / 200) * 256 + x * 256 / 200];
    EXPECT_EQ(wait_for_picture(target, IMAGE_SIZE_SMALL,
                               [&](const ShownPicture& shown) { return silhouette(shown.pixels) == shrunk; })
                  .placement.top,
              20);
    ASSERT_TRUE(end_hack(hack, SIGTERM));
    EXPECT_EQ(hack.exit_code, 0);
}

TEST_F(HackDrawingTest, RootDrawsOnTheRootWindow) {
    HackProcess hack = start_hack({"-root", "-shape", "square"});
    HackGuard guard{hack};
    // 256 at four times its size, centred across the 1280 columns.
    const ShownPicture shown = wait_for_picture(
        DefaultRootWindow(test_display()), IMAGE_SIZE_SMALL,
        [](const ShownPicture& shown) { return std::count(shown.pixels.begin(), shown.pixels.end(), 0u) == 0; });
    EXPECT_EQ(shown.placement.factor, 4);
    EXPECT_EQ(shown.placement.left, 128);
    ASSERT_TRUE(end_hack(hack, SIGTERM));
    EXPECT_EQ(hack.exit_code, 0);
    EXPECT_EQ(hack.standard_error, "");
}

TEST_F(HackDrawingTest, TheWindowXScreenSaverNamesIsTakenAloneAndWithRoot) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, std::vector<std::string>{"-root"}}) {
        SCOPED_TRACE(arguments.empty() ? "no arguments" : "-root");
        const Window saver_window = window(520, 520);
        HackProcess hack = start_hack(arguments, saver_window);
        HackGuard guard{hack};
        wait_for_picture(saver_window, IMAGE_SIZE_SMALL, [](const ShownPicture& shown) {
            return std::count(shown.pixels.begin(), shown.pixels.end(), 0u) < static_cast<long>(shown.pixels.size());
        });
        ASSERT_TRUE(end_hack(hack, SIGTERM));
        EXPECT_EQ(hack.exit_code, 0);
    }
}

// Run by hand, with neither a window named nor XScreenSaver's variable.
TEST_F(HackDrawingTest, WithoutAWindowNamedItOpensOneOfItsOwnThatItsCloseEnds) {
    HackProcess hack = start_hack({"-shape", "triangle"});
    HackGuard guard{hack};
    const Window own = wait_for_own_window();
    ASSERT_NE(own, None) << "no window titled Huesift";
    const auto triangle = silhouette(engine_picture(SURFACE_TRIANGLE, IMAGE_SIZE_SMALL, RED_UP, 1));
    EXPECT_EQ(wait_for_picture(own, IMAGE_SIZE_SMALL,
                               [&](const ShownPicture& shown) { return silhouette(shown.pixels) == triangle; })
                  .placement.factor,
              2);

    // The window manager's close button asks with WM_DELETE_WINDOW.
    Display* display = test_display();
    XEvent close = {};
    close.xclient.type = ClientMessage;
    close.xclient.window = own;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, own, False, NoEventMask, &close);
    XFlush(display);
    ASSERT_TRUE(wait_for_exit(hack));
    EXPECT_EQ(hack.exit_code, 0);
    EXPECT_EQ(hack.standard_error, "");
}

// A 16-bit screen (5 bits of red and blue, 6 of green) shows the seed's
// colours cut to its bits; a 32-bit window with alpha shows them opaque.
TEST_F(HackDrawingTest, OtherVisualsShowTheSameColours) {
    const Window sixteen = windows.emplace_back(make_window(1100, 1024, 1));
    const auto started = static_cast<std::uint32_t>(std::time(nullptr));
    HackProcess hack = start_hack({"-size", "512", "-window-id", window_id_text(sixteen)});
    HackGuard guard{hack};
    ShownPicture shown;
    std::string why;
    ASSERT_TRUE(wait_until([&] {
        return read_shown_picture(sixteen, IMAGE_SIZE_BIG, shown, why) &&
               shown.pixels != std::vector<std::uint32_t>(shown.pixels.size());
    })) << why;
    const std::uint32_t now = static_cast<std::uint32_t>(std::time(nullptr));
    bool matched = false;
    for (std::uint32_t seed = started; seed <= now && !matched; ++seed) {
        std::vector<std::uint32_t> cut = engine_picture(SURFACE_CIRCLE, IMAGE_SIZE_BIG, RED_UP, seed);
        for (std::uint32_t& colour : cut) colour &= 0xF8FCF8;
        matched = colour_counts(cut) == colour_counts(shown.pixels);
    }
    EXPECT_TRUE(matched) << "the colours are no seed's from " << started << " to " << now;
    ASSERT_TRUE(end_hack(hack, SIGTERM));

    const Window argb = windows.emplace_back(make_argb_window(600, 600));
    ASSERT_NE(argb, None) << "the server offers no 32-bit visual";
    hack = start_hack({"-window-id", window_id_text(argb)});
    const auto circle = silhouette(engine_picture(SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_UP, 1));
    wait_for_picture(argb, IMAGE_SIZE_SMALL,
                     [&](const ShownPicture& picture) { return silhouette(picture.pixels) == circle; });
    XImage* image = XGetImage(test_display(), argb, 0, 0, 600, 600, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    int see_through = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x) see_through += (XGetPixel(image, x, y) >> 24) != 0xFF;
    XDestroyImage(image);
    EXPECT_EQ(see_through, 0) << "pixels with alpha below 255";
    ASSERT_TRUE(end_hack(hack, SIGTERM));
    EXPECT_EQ(hack.standard_error, "");
}

}  // namespace
