// What the hack's tests share: a virtual X server of their own (Xvfb at
// 1280 x 1024 x 24) for the whole run and a connection to it, windows made on
// it, the real huesift started as XScreenSaver starts a hack, and the picture
// read back from the screen and checked against the engine's.
#pragma once

// GoogleTest first: Xlib defines None, Bool and Status as macros.
#include "tests/engine/test_support.h"

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/placement.h"
#include "engine/settings.h"

inline constexpr int SCREEN_WIDTH = 1280;
inline constexpr int SCREEN_HEIGHT = 1024;

// The tests' own connection to the virtual server, and its name for the hack.
Display* test_display();
const std::string& test_display_name();

struct HackProcess {
    pid_t pid = -1;
    int error_pipe = -1;  // the read ends of its standard error and output
    int output_pipe = -1;
    std::string standard_error;
    std::string standard_output;
    int exit_code = -1;  // 128 + the signal's number when a signal ended it
};

// Starts huesift with `arguments` on the virtual display; $XSCREENSAVER_WINDOW
// is set to `saver_window` when given (as XScreenSaver writes it) and unset
// otherwise. `environment` adds NAME=VALUE entries.
HackProcess start_hack(const std::vector<std::string>& arguments, Window saver_window = None,
                       const std::vector<std::string>& environment = {});

// Waits up to `bound` for the hack to end, gathering what it wrote; false
// (the hack killed) when it did not end in time.
bool wait_for_exit(HackProcess& hack, std::chrono::milliseconds bound = std::chrono::seconds(30));

// Runs the hack to its end and returns it ended, with its output.
HackProcess run_hack(const std::vector<std::string>& arguments);

// Sends `signal` and waits for the end.
bool end_hack(HackProcess& hack, int signal);

// Kills a hack the test leaves running (on a failed assertion).
struct HackGuard {
    HackProcess& hack;
    ~HackGuard();
};

// The window the hack opened for itself (titled Huesift), once there is
// one; None if none came within the bound.
Window wait_for_own_window();

// A mapped top-level white window of the given size on screen 0 (24 bits)
// or 1 (16 bits: 5 bits of red and blue, 6 of green).
Window make_window(int width, int height, int screen = 0);

// The same in the 32-bit visual with alpha a compositing screen offers
// (None when the server has none).
Window make_argb_window(int width, int height);
void resize_window(Window window, int width, int height);

std::string window_id_text(Window window);

// Waits up to `bound` until `condition` holds, looking again every few ms.
bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds bound = std::chrono::seconds(30));

// The window's pixels as 0x00RRGGBB, top-down rows, each channel widened to
// 8 bits with its missing low bits 0; empty when it cannot be read.
std::vector<std::uint32_t> read_window(Window window, int& width, int& height);

// The picture a window shows where the hack places an image of side
// `image_side`: black everywhere around it and, for a whole factor, each
// image pixel a uniform block. `pixels` is the image as shown, one word per
// image pixel (for a shrunk picture, per row and column shown).
struct ShownPicture {
    Placement placement;
    int side = 0;  // of `pixels`
    std::vector<std::uint32_t> pixels;
};
bool read_shown_picture(Window window, int image_side, ShownPicture& shown, std::string& why);

// The engine's picture for a recipe after `iterations` of its sort, and
// which pixels of it are the shape.
std::vector<std::uint32_t> engine_picture(SurfaceKind surface, std::int32_t size, std::int32_t red_direction,
                                          std::uint32_t seed, std::uint64_t iterations = 0);
std::vector<bool> silhouette(const std::vector<std::uint32_t>& pixels);

// How many times each colour occurs: the sort exchanges pixels, so a picture
// keeps its colours while it sorts.
std::map<std::uint32_t, int> colour_counts(const std::vector<std::uint32_t>& pixels);

// For a hack started with HUESIFT_FRAME_LOG=1 at calendar second `started`
// (time()): stops it once it has drawn its sort, and checks that `target`
// shows exactly the engine's picture for the show's seed after the
// iterations of one of the last frames it logged, sorted with `red`; then
// lets it go on. The sort is the same however it is cut into pieces.
void expect_engine_sort_shown(HackProcess& hack, Window target, SurfaceKind surface, std::int32_t size,
                              std::int32_t red, std::uint32_t started);

// The seed in [first, last] whose picture has these colours, or -1.
long long seed_with_colours(const std::map<std::uint32_t, int>& counts, SurfaceKind surface, std::int32_t size,
                            std::uint32_t first, std::uint32_t last);
