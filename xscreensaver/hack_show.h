// The show in the hack's window: the engine's show on this thread, sorted in
// pieces of a few milliseconds so that X events and end signals are answered
// at once; a frame at most every SORT_FRAME_MS while the picture sorts and
// every ROTATION_FRAME_MS while its palette rotates; and while nothing
// sorts, asleep until the show's next step, an X event or an end signal.
#pragma once

#include <cstdint>

#include "xscreensaver/hack_window.h"

inline constexpr std::uint64_t SORT_FRAME_MS = 33;
inline constexpr std::uint64_t ROTATION_FRAME_MS = 16;

struct ShowLoopOptions {
    bool allow_shared = true;  // MIT-SHM images where the server offers them
    bool log_frames = false;   // "frame MS PHASE ITERATIONS" on standard error for every frame drawn
    int end_signal_fd = -1;    // readable once an end signal came (end_signals.h)
};

// Begins the engine's show with the settings applied now and runs it in
// `window` until the window is destroyed or closed, a key ends a window of
// the hack's own, or an end signal comes: 0 then. 1 after an X error or when
// no frame could be made.
int run_hack_show(HackWindow& window, const ShowLoopOptions& options);
