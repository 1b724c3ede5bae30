// Makes the pictures for the README from the real program: starts
// huesift.exe, sorts the default circle until it comes to rest and saves the
// whole window, then sets a big triangle in the Options dialog and does the
// same. Pictures are written as binary PPM files; scripts/screenshots.sh
// turns them into PNG.
//   huesift_screenshots PATH-OF-huesift.exe CIRCLE.ppm TRIANGLE.ppm
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tools/driving/huesift_process.h"
#include "tools/driving/options_driving.h"
#include "tools/driving/screen_picture.h"
#include "tools/screenshots/ppm_file.h"

namespace {

// The sort has come to rest when this many pictures in a row are the same.
constexpr int RESTING_PICTURES = 10;
constexpr int REST_BOUND_MS = 180000;

bool wait_until_at_rest(HWND window) {
    Picture previous;
    int same = 0;
    return wait_until(
        [&] {
            Picture picture = capture_client(window);
            const bool coloured = count_colours(picture, picture.width).palette > 0;
            same = coloured && picture == previous ? same + 1 : 0;
            previous = std::move(picture);
            return same >= RESTING_PICTURES;
        },
        REST_BOUND_MS);
}

// The whole window, frame and menu included, as the screen shows it.
bool save_window(HWND window, const char* path) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    HDC screen = GetDC(nullptr);
    const Picture picture = capture_area(screen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    ReleaseDC(nullptr, screen);
    return write_ppm(picture, path);
}

bool sort_and_save(const HuesiftProcess& huesift, const char* path) {
    PostMessageA(huesift.window, WM_COMMAND, IDM_START, 0);
    if (!wait_until_at_rest(huesift.window)) {
        std::fprintf(stderr, "the sort did not come to rest\n");
        return false;
    }
    if (!save_window(huesift.window, path)) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: huesift_screenshots PATH-OF-huesift.exe CIRCLE.ppm TRIANGLE.ppm\n");
        return 2;
    }
    HuesiftProcess huesift;
    if (!start_huesift(argv[1], huesift)) {
        std::fprintf(stderr, "huesift did not start\n");
        return 1;
    }
    const bool done = sort_and_save(huesift, argv[2]) &&
                      !choose_options(huesift, {IDC_SIZE_BIG, IDC_SURFACE_TRIANGLE}).empty() &&
                      sort_and_save(huesift, argv[3]);
    PostMessageA(huesift.window, WM_COMMAND, IDM_EXIT, 0);
    DWORD exit_code = 1;
    wait_for_exit(huesift, exit_code);
    close_process(huesift);
    return done ? 0 : 1;
}
