// Measures what the user sees of the sort in the real window, with the
// shell's own paint: the share of the worker's time spent waiting in
// request_repaint for each image size and refresh setting, and how fast the
// 512 triangle's disorder falls after Start. Windows only; run under Wine by
// scripts/bench.sh.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>

#include "engine/disorder.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/platform.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "shell/painting.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto SHARE_RUN = std::chrono::seconds(3);
constexpr double DISORDER_TIMES_S[] = {0.5, 2.0, 5.0};

std::atomic<long long> waited_ns{0};

// The shell's repaint, timed on the worker's side.
void timed_repaint(void* window) {
    const auto begin = Clock::now();
    repaint_window(window);
    waited_ns += std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - begin).count();
}

// Keeps the window's messages flowing until `until`.
void pump_until(Clock::time_point until) {
    MSG message;
    while (Clock::now() < until) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void start_sort(HWND window, std::int32_t size, SurfaceKind surface, std::int32_t refresh) {
    sort_settings.image_size = size;
    sort_settings.surface = surface;
    // As the Options dialog does, the counter restarts with a new interval.
    sort_settings.refresh_interval = refresh;
    run_state.refresh_counter = 0;
    SendMessageA(window, WM_COMMAND, IDM_START, 0);
}

}  // namespace

int main() {
    HWND window = create_main_window(GetModuleHandleA(nullptr));
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    PlatformServices services = installed_platform();
    services.repaint = timed_repaint;
    install_platform(services);

    std::printf("share of the sort worker's time spent waiting for repaints (%lld s runs, circle)\n",
                static_cast<long long>(SHARE_RUN.count()));
    for (std::int32_t size : {IMAGE_SIZE_SMALL, IMAGE_SIZE_BIG}) {
        for (std::int32_t refresh : {REFRESH_LESS, REFRESH_MORE}) {
            start_sort(window, size, SURFACE_CIRCLE, refresh);
            waited_ns = 0;
            const auto begin = Clock::now();
            pump_until(begin + SHARE_RUN);
            stop_worker();
            const double elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - begin).count();
            std::printf("  %d, %-13s %5.1f%%\n", size, refresh == REFRESH_LESS ? "Less (faster)" : "More (slower)",
                        100.0 * static_cast<double>(waited_ns.load()) / elapsed);
        }
    }

    std::printf("512 triangle, Less (faster): vertical (red) pairs out of order after Start\n");
    start_sort(window, IMAGE_SIZE_BIG, SURFACE_TRIANGLE, REFRESH_LESS);
    const auto started = Clock::now();
    for (double at : DISORDER_TIMES_S) {
        pump_until(started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(at)));
        const Disorder disorder = measure_disorder(image_buffer.pixels, image_geometry.width, image_geometry.height,
                                                   sort_settings.red_direction);
        std::printf("  %.1f s: %.3f%%\n", at, 100.0 * disorder.red);
    }
    DestroyWindow(window);
    return 0;
}
