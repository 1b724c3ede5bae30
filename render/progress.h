// The progress line on standard error while the sort runs: iterations, rate,
// disorder and the time left. Drawn only on a terminal and not when quiet.
#pragma once

#include <chrono>
#include <cstdint>

#include "render/render_run.h"

struct Progress {
    bool shown = false;
    std::uint64_t goal = 0;  // iterations of a fixed run; the cap of a settling one
    bool settling = false;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point last_draw;
};

Progress start_progress(bool wanted, std::uint64_t goal, bool settling);
void show_progress(Progress& progress, const CurvePoint& point);
// Clears the line so later messages start on a fresh one.
void end_progress(Progress& progress);
