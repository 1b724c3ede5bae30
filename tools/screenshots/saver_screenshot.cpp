// Not a test: the program behind scripts/screensaver-screenshot.sh. Starts
// huesift.scr /s with the short timings, waits until its palette rotates,
// writes the whole screen at half size as a binary PPM (every image pixel is
// a block of 4 x 4 on a 1280 x 1024 display, so nothing is lost) and ends
// the show with a key.
//   saver_screenshot PATH-OF-huesift.scr OUT.ppm
#include <windows.h>

#include <cstdio>

#include "tools/driving/saver_driving.h"
#include "tools/screenshots/ppm_file.h"

namespace {

constexpr int IMAGE_SIDE = 256;
constexpr int SHRINK = 2;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: saver_screenshot PATH-OF-huesift.scr OUT.ppm\n");
        return 2;
    }
    saver_program = argv[1];
    HuesiftProcess saver;
    HWND window = nullptr;
    if (!start_saver("/s", saver) || !wait_until([&] { return (window = find_saver_window(saver)) != nullptr; })) {
        std::fprintf(stderr, "huesift.scr showed no window\n");
        close_process(saver);
        return 1;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const int factor = (width < height ? width : height) / IMAGE_SIDE;
    const int left = (width - factor * IMAGE_SIDE) / 2;
    const int top = (height - factor * IMAGE_SIDE) / 2;
    std::vector<int> before;
    const bool rotating = wait_until([&] {
        std::vector<int> after = shown_indices(window, left, top, IMAGE_SIDE, factor);
        const bool seen = looks_rotated_between(before, after);
        before = std::move(after);
        return seen;
    });
    HDC screen = GetDC(window);
    const Picture picture = capture_area(screen, 0, 0, width, height);
    ReleaseDC(window, screen);
    press_key(window, VK_SPACE);
    DWORD exit_code = 1;
    wait_for_exit(saver, exit_code);
    close_process(saver);
    if (!rotating || !write_ppm(picture, argv[2], SHRINK)) {
        std::fprintf(stderr, "no rotating picture could be taken\n");
        return 1;
    }
    return 0;
}
