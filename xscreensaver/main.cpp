// huesift: Huesift's show as an XScreenSaver hack, and as a window of its own
// when run by hand. Exit 0 when the show ended as asked (a signal, its
// window destroyed or closed), 1 when it could not run or met an X error, 2
// for a bad command line or $XSCREENSAVER_WINDOW.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/image.h"
#include "engine/sort_settings.h"
#include "xscreensaver/end_signals.h"
#include "xscreensaver/hack_options.h"
#include "xscreensaver/hack_show.h"
#include "xscreensaver/hack_window.h"
#include "xscreensaver/x_errors.h"

namespace {

constexpr int EXIT_CANNOT_RUN = 1;
constexpr int EXIT_BAD_USAGE = 2;

// HUESIFT_NO_SHM=1 keeps to plain images, as on a server of another machine;
// HUESIFT_FRAME_LOG=1 writes a line for every frame (for the benchmark).
bool environment_flag(const char* name) {
    const char* value = std::getenv(name);
    return value && std::string(value) == "1";
}

int fail(int exit_code, const std::string& message) {
    std::fprintf(stderr, "huesift: %s\n", message.c_str());
    return exit_code;
}

}  // namespace

int main(int argc, char** argv) {
    HackOptions options;
    std::string error;
    switch (parse_hack_options(argc, argv, options, error)) {
        case HACK_HELP:
            std::fputs(hack_usage(), stdout);
            return 0;
        case HACK_VERSION_ASKED:
            std::puts(HACK_VERSION);
            return 0;
        case HACK_ERROR:
            return fail(EXIT_BAD_USAGE, error);
        case HACK_RUN:
            break;
    }
    WindowChoice choice;
    if (!choose_window(options, std::getenv("XSCREENSAVER_WINDOW"), choice, error)) return fail(EXIT_BAD_USAGE, error);

    // Signals before the display: XScreenSaver may end a hack at once.
    ShowLoopOptions loop_options;
    loop_options.end_signal_fd = catch_end_signals();
    loop_options.allow_shared = !environment_flag("HUESIFT_NO_SHM");
    loop_options.log_frames = environment_flag("HUESIFT_FRAME_LOG");

    const char* display_name = options.display.empty() ? nullptr : options.display.c_str();
    Display* display = XOpenDisplay(display_name);
    if (!display) return fail(EXIT_CANNOT_RUN, std::string("cannot open display ") + XDisplayName(display_name));
    install_x_error_handlers();
    HackWindow window;
    int exit_code = EXIT_CANNOT_RUN;
    if (!open_hack_window(display, choice, window, error)) {
        fail(EXIT_CANNOT_RUN, error);
    } else if (!open_drawing_context(nullptr)) {
        fail(EXIT_CANNOT_RUN, "the engine's drawing context could not be opened");
    } else {
        apply_settings(options.settings);
        exit_code = run_hack_show(window, loop_options);
        close_drawing_context();
    }
    XCloseDisplay(display);
    return exit_code;
}
