#include "render/progress.h"

#include <unistd.h>

#include <cstdio>

namespace {

constexpr auto REDRAW_EVERY = std::chrono::milliseconds(100);
constexpr int BAR_WIDTH = 20;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

Progress start_progress(bool wanted, std::uint64_t goal, bool settling) {
    Progress progress;
    progress.shown = wanted && isatty(STDERR_FILENO);
    progress.goal = goal;
    progress.settling = settling;
    progress.start = std::chrono::steady_clock::now();
    progress.last_draw = progress.start - REDRAW_EVERY;
    return progress;
}

void show_progress(Progress& progress, const CurvePoint& point) {
    if (!progress.shown) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - progress.last_draw < REDRAW_EVERY) return;
    progress.last_draw = now;

    const double elapsed = seconds_since(progress.start);
    const double rate = elapsed > 0 ? static_cast<double>(point.iterations) / elapsed : 0;
    const double share = progress.goal ? static_cast<double>(point.iterations) / static_cast<double>(progress.goal) : 1;
    const std::uint64_t remaining = progress.goal > point.iterations ? progress.goal - point.iterations : 0;
    const double left = rate > 0 ? static_cast<double>(remaining) / rate : 0;
    char bar[BAR_WIDTH + 1];
    for (int i = 0; i < BAR_WIDTH; ++i) bar[i] = i < static_cast<int>(share * BAR_WIDTH) ? '#' : '-';
    bar[BAR_WIDTH] = '\0';
    // A settling run usually ends long before its cap, so its time left is
    // only an upper bound, and its share of the cap means little.
    if (progress.settling)
        std::fprintf(stderr, "\rsettling");
    else
        std::fprintf(stderr, "\r[%s] %3.0f%%", bar, share * 100);
    std::fprintf(stderr, " %8.1fM it %6.1fM it/s  disorder r %.4f b %.4f g %.4f  %s%.0f s left\x1b[K",
                 static_cast<double>(point.iterations) / 1e6, rate / 1e6, point.disorder.red, point.disorder.blue,
                 point.disorder.green, progress.settling ? "at most " : "", left);
    std::fflush(stderr);
}

void end_progress(Progress& progress) {
    if (!progress.shown) return;
    std::fprintf(stderr, "\r\x1b[K");
    std::fflush(stderr);
}
