// The process entry of huesift.scr: reads what Windows asks for and runs the
// full-screen show, the preview or the settings page.
#include <windows.h>

#include "engine/image.h"
#include "engine/worker.h"
#include "screensaver/saver_arguments.h"
#include "screensaver/saver_config.h"
#include "screensaver/saver_settings.h"
#include "screensaver/saver_window.h"

namespace {

// Returned, without any window, for arguments huesift.scr does not know
// (and a preview without a window to draw in): a script that calls it wrongly
// learns so from the exit code, and no user sees a box they did not ask for.
constexpr int EXIT_BAD_ARGUMENTS = 2;
constexpr int EXIT_NO_WINDOW = 1;

HWND as_window(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

int run_show(HINSTANCE instance, HWND preview_parent) {
    load_saver_settings();
    if (!open_drawing_context(nullptr)) return EXIT_NO_WINDOW;
    int exit_code = EXIT_NO_WINDOW;
    if (create_saver_window(instance, preview_parent)) exit_code = run_saver_loop();
    stop_worker();
    close_drawing_context();
    return exit_code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    const SaverCommand command = parse_saver_arguments(arguments);
    switch (command.mode) {
        case SAVER_FULL_SCREEN:
            return run_show(instance, nullptr);
        case SAVER_PREVIEW:
            // The desktop or a message-only window would give a window
            // nobody sees the end of.
            if (!usable_host_window(as_window(command.window))) return EXIT_BAD_ARGUMENTS;
            return run_show(instance, as_window(command.window));
        case SAVER_SETTINGS: {
            // An owner that is no usable window is simply left out.
            HWND owner = as_window(command.window);
            return run_saver_settings(instance, usable_host_window(owner) ? owner : nullptr);
        }
        case SAVER_INVALID:
            break;
    }
    return EXIT_BAD_ARGUMENTS;
}
