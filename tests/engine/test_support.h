// What the engine tests share: a fresh process state for each test, a fixed
// clock for seeding, a reader of pixels that is safe while a worker writes
// them, and a comparison of random sources.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/random.h"
#include "engine/relaxed_word.h"
#include "engine/settings.h"
#include "tests/platform_swap.h"
#include "tests/printers.h"

extern std::uint32_t fixed_clock_seconds;

// Every test starts from the start-up state with one drawing context open,
// the clock fixed and no allocation failing; at the
// end no worker may run and no engine memory may remain.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Makes the picture of `surface` and `size` (red up) from `seed`, as Start
// does before the worker. False when a step fails.
bool build_seeded_image(SurfaceKind surface, std::int32_t size, std::uint32_t seed);

// The current image's pixels (read with relaxed atomic loads, so a running
// worker may be writing them).
std::vector<std::uint32_t> snapshot_pixels();

inline std::uint32_t load_pixel(const std::uint32_t* pixels, std::uint32_t i) { return load_relaxed(pixels[i]); }

// Whether two random sources give the same draws from here on: the same state
// and the same place in it (which no longer matters once the state is used up).
inline bool same_source(const RandomSource& a, const RandomSource& b) {
    if (a.left != b.left) return false;
    if (a.left > 0 && a.next != b.next) return false;
    return std::equal(a.state, a.state + RANDOM_STATE_WORDS, b.state);
}

// Whether a plain or sanitizer build runs the tests; long runs are shortened
// under the sanitizers.
bool sanitized_build();

// A stand-in for the user-interface thread's side of a worker: repaint
// requests are handed to the thread that waits in stop_worker (or in
// serve_repaints) and answered there, as the window's paint answers them.
// install_ui_harness() puts the hook, the wait and a thread starter that
// reports each worker's end in place.
void install_ui_harness();

// Answers pending repaint requests on the calling thread, calling `on_paint`
// for each, until `repaints` have been served or `bound` ms have passed.
// Returns the number served.
int serve_repaints(int repaints, int bound_ms, void (*on_paint)() = nullptr);

// Repaint requests answered so far.
int repaints_served();
