// The screensaver's show: a sort of a fresh image with the saved settings,
// palette rotation once the picture has settled (or the sort has run long
// enough), and after a while a new image with a new seed and the next shape.
// Everything here runs on the user-interface thread, paced by its timer.
#pragma once

#include <cstdint>

struct CycleTimings {
    std::uint32_t check_period_ms;  // how often the timer looks at the show
    std::uint32_t sort_limit_ms;    // longest sort before rotation starts anyway
    std::uint32_t rotation_ms;      // how long the rotation runs before a new image
};

// Sensible for a screen left alone: checks ten times a second, rotation at
// most a minute after the start, a new picture every five minutes.
inline constexpr CycleTimings NORMAL_TIMINGS = {100, 60000, 300000};

// For tests only, chosen by the environment variable HUESIFT_SCR_FAST=1: the
// whole show passes in seconds.
inline constexpr CycleTimings FAST_TIMINGS = {50, 3000, 8000};
inline constexpr const char* FAST_TIMINGS_VARIABLE = "HUESIFT_SCR_FAST";

// NORMAL_TIMINGS, or FAST_TIMINGS when the environment asks for them.
CycleTimings choose_cycle_timings();

// Starts the first picture; `now_ms` is a millisecond clock.
void cycle_begin(const CycleTimings& timings, std::uint64_t now_ms);

// Moves the show on: measures the sort, switches to rotation, starts the next
// picture. Called from the timer.
void cycle_step(std::uint64_t now_ms);

// Stops the worker for good: later steps start nothing.
void cycle_end();
