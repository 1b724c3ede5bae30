// The show a screensaver puts on, for every front end that shows one: a fresh
// picture sorted until it settles by the engine's rule (but no longer than
// the sort limit), then its palette rotated, and once the rotation has run
// its time the next picture, with the next shape and a seed not used before
// in this process. The caller passes a millisecond clock to every call, so a
// Windows timer, a Web Worker and an X event loop run the same show, and
// tests run it on a made-up clock.
#pragma once

#include <cstdint>

struct ShowTimings {
    std::uint64_t sort_limit_ms;  // longest sort before the rotation starts anyway
    std::uint64_t rotation_ms;    // how long a picture rotates before the next one
};

// A screen left alone: the rotation starts at most a minute after the
// picture, and the next picture comes five minutes after that.
inline constexpr ShowTimings SHOW_TIMINGS = {60'000, 300'000};

// Where the sort and the rotation run. On the engine's worker thread, which
// repaints through the platform's repaint service (a Windows screensaver).
// Or on the caller's own thread, for a front end that has no other (a Web
// Worker) or draws only from its own loop (an X program): the caller sorts
// in pieces with show_sort and draws when a call says the picture changed;
// show_step makes each rotation step when it is due.
enum ShowWorker { SHOW_ON_WORKER_THREAD, SHOW_ON_CALLER };

enum ShowPhase {
    SHOW_IDLE,      // not begun, or ended
    SHOW_SORTING,   // the picture sorts
    SHOW_ROTATING,  // its palette rotates
    SHOW_WAITING,   // the picture could not be made; the next is tried later
};

// Begins the show with the first picture: the settings' surface, size and
// red direction, and a fresh seed. Stops any worker first.
void show_begin(const ShowTimings& timings, ShowWorker worker, std::uint64_t now_ms);

// Moves the show on to `now_ms`: starts the rotation once the sort has
// settled or reached the sort limit, and the next picture once the rotation
// has run its time; on the caller it also makes the rotation step that is
// due. The next picture takes the surface after the last one and the size
// and red direction the settings have then; the rotation's pace is read from
// the settings at every step. True when the pixels changed (a new picture or
// a rotation step), so a caller that draws for itself draws again.
bool show_step(std::uint64_t now_ms);

// On the caller, while the picture sorts: sorts `iterations` more on the
// calling thread. False, with nothing done, in any other phase or mode.
bool show_sort(std::uint64_t iterations);

// On the caller: the clock time at which show_step next has something to do
// when nothing sorts (the next rotation step, the end of the rotation or of
// the wait). While the picture sorts, the settle rule is looked at after each
// piece of sorting, so this is `now_ms` itself.
std::uint64_t show_next_step_ms(std::uint64_t now_ms);

ShowPhase show_phase();

// Ends the show: stops the worker, and later steps start nothing. The last
// picture stays, for a front end that still paints it.
void show_end();
