// When a sort has settled: the disorder is measured at regular checks, and
// the sort counts as settled once it has stopped falling.
#pragma once

#include <cstdint>

#include "engine/disorder.h"

// A check is made every SETTLE_CHECK_FACTOR x pixel_count iterations. It
// shows progress when some channel's disorder is below its lowest earlier
// value by more than SETTLE_EPSILON of that value. The sort has settled after
// SETTLE_PATIENCE checks in a row without progress, and stops in any case
// after SETTLE_CAP_FACTOR x pixel_count iterations.
inline constexpr std::uint64_t SETTLE_CHECK_FACTOR = 16;
inline constexpr double SETTLE_EPSILON = 0.01;
inline constexpr int SETTLE_PATIENCE = 4;
inline constexpr std::uint64_t SETTLE_CAP_FACTOR = 8192;

struct SettleWatch {
    Disorder lowest;
    int checks = 0;
    int checks_without_progress = 0;
};

std::uint64_t settle_check_interval(std::uint32_t pixel_count);
std::uint64_t settle_iteration_cap(std::uint32_t pixel_count);

// Takes the disorder measured at the next check; true once the sort has
// settled.
bool settle_check(SettleWatch& watch, const Disorder& now);
