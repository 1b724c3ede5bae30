// How the screensaver paces the engine's show: how often its timer looks at
// the show, and the show's own times. Tests ask for a show that passes in
// seconds.
#pragma once

#include <cstdint>

#include "engine/show.h"

struct SaverTimings {
    std::uint32_t check_period_ms;  // how often the timer moves the show on
    ShowTimings show;
};

// Checks ten times a second, with the show's usual times.
inline constexpr SaverTimings NORMAL_TIMINGS = {100, SHOW_TIMINGS};

// For tests only, chosen by the environment variable HUESIFT_SCR_FAST=1: the
// whole show passes in seconds.
inline constexpr SaverTimings FAST_TIMINGS = {50, {3000, 8000}};
inline constexpr const char* FAST_TIMINGS_VARIABLE = "HUESIFT_SCR_FAST";

// NORMAL_TIMINGS, or FAST_TIMINGS when the environment asks for them.
SaverTimings choose_saver_timings();
