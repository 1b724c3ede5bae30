#include "xscreensaver/hack_show.h"

#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "engine/picture.h"
#include "engine/show.h"
#include "xscreensaver/frame_image.h"
#include "xscreensaver/x_errors.h"

namespace {

// A piece of sorting takes about this long, so an event waits no longer.
constexpr std::uint64_t PIECE_TARGET_US = 4000;
constexpr std::uint64_t FIRST_PIECE = 100'000;
constexpr std::uint64_t SMALLEST_PIECE = 1'000;
constexpr std::uint64_t LARGEST_PIECE = 100'000'000;
// The longest sleep; the show's own steps are never further apart than this
// in practice, and a long sleep gains nothing.
constexpr std::uint64_t LONGEST_WAIT_MS = 1000;

using Clock = std::chrono::steady_clock;

std::uint64_t now_ms() {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

struct Loop {
    HackWindow& window;
    ShowLoopOptions options;
    FrameImage frame;
    bool dirty = true;       // the picture changed since the last frame
    bool border_due = true;  // the black around it must be painted again
    std::uint64_t began_ms = 0;
    std::uint64_t last_frame_ms = 0;
    std::uint64_t piece = FIRST_PIECE;
    bool ended = false;
    int exit_code = 0;
};

void end_loop(Loop& loop, int exit_code) {
    if (loop.ended) return;
    loop.ended = true;
    loop.exit_code = exit_code;
}

const char* phase_name(ShowPhase phase) {
    switch (phase) {
        case SHOW_SORTING:
            return "sorting";
        case SHOW_ROTATING:
            return "rotating";
        case SHOW_WAITING:
            return "waiting";
        case SHOW_IDLE:
            break;
    }
    return "idle";
}

bool ends_own_window(XKeyEvent& event) {
    const KeySym key = XLookupKeysym(&event, 0);
    return key == XK_q || key == XK_Q || key == XK_Escape;
}

void handle_event(Loop& loop, XEvent& event) {
    HackWindow& window = loop.window;
    switch (event.type) {
        case Expose:
            if (event.xexpose.window == window.window && event.xexpose.count == 0) loop.border_due = loop.dirty = true;
            return;
        case ConfigureNotify:
            if (follow_window_size(window, event.xconfigure)) loop.border_due = loop.dirty = true;
            return;
        case DestroyNotify:
            if (event.xdestroywindow.window == window.window) end_loop(loop, 0);
            return;
        case ClientMessage:
            if (window.own && event.xclient.format == 32 &&
                static_cast<Atom>(event.xclient.data.l[0]) == window.delete_message)
                end_loop(loop, 0);
            return;
        case KeyPress:
            if (window.own && ends_own_window(event.xkey)) end_loop(loop, 0);
            return;
        default:
            if (event.type == loop.frame.completion_event) note_completion(loop.frame);
            return;
    }
}

// The next piece is sized from how long this one took.
void sort_piece(Loop& loop) {
    const auto start = Clock::now();
    show_sort(loop.piece);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    const std::uint64_t wanted =
        took > 0 ? loop.piece * PIECE_TARGET_US / static_cast<std::uint64_t>(took) : loop.piece * 2;
    loop.piece = std::clamp(std::clamp(wanted, loop.piece / 2, loop.piece * 2), SMALLEST_PIECE, LARGEST_PIECE);
}

void draw(Loop& loop, std::uint64_t now) {
    FrameImage& frame = loop.frame;
    const Placement before = frame.placement;
    const int side = static_cast<int>(picture_side());
    if (!fit_frame(frame, loop.window, side)) {
        std::fprintf(stderr, "huesift: no memory for a frame of %d x %d pixels\n", frame.placement.side,
                     frame.placement.side);
        end_loop(loop, 1);
        return;
    }
    const Placement& after = frame.placement;
    if (after.left != before.left || after.top != before.top || after.side != before.side) loop.border_due = true;
    if (loop.border_due) paint_border(frame, loop.window);
    if (side > 0) put_frame(frame, loop.window, picture_pixels());
    loop.border_due = loop.dirty = false;
    loop.last_frame_ms = now;
    if (loop.options.log_frames)
        std::fprintf(stderr, "frame %llu %s %llu\n", static_cast<unsigned long long>(now - loop.began_ms),
                     phase_name(show_phase()), static_cast<unsigned long long>(picture_iterations()));
}

// How long poll may wait: not at all while the picture sorts, else until the
// show's next step or the next frame that is due.
int wait_ms(const Loop& loop, std::uint64_t now, std::uint64_t frame_interval) {
    if (show_phase() == SHOW_SORTING) return 0;
    std::uint64_t wake = std::min(show_next_step_ms(now), now + LONGEST_WAIT_MS);
    if (loop.dirty && frame_ready(loop.frame)) wake = std::min(wake, loop.last_frame_ms + frame_interval);
    return wake <= now ? 0 : static_cast<int>(wake - now);
}

}  // namespace

int run_hack_show(HackWindow& window, const ShowLoopOptions& options) {
    Display* display = window.display;
    Loop loop{window, options, FrameImage{}};
    begin_frames(loop.frame, window, options.allow_shared);
    loop.began_ms = now_ms();
    show_begin(SHOW_TIMINGS, SHOW_ON_CALLER, loop.began_ms);
    pollfd waits[2] = {{ConnectionNumber(display), POLLIN, 0}, {options.end_signal_fd, POLLIN, 0}};
    const nfds_t wait_count = options.end_signal_fd >= 0 ? 2 : 1;
    while (!loop.ended) {
        while (!loop.ended && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            handle_event(loop, event);
        }
        if (watched_window_gone()) end_loop(loop, 0);
        if (unexpected_x_error()) end_loop(loop, 1);
        if (loop.ended) break;

        if (show_phase() == SHOW_SORTING) {
            sort_piece(loop);
            loop.dirty = true;
        }
        const std::uint64_t now = now_ms();
        if (show_step(now)) loop.dirty = true;
        const std::uint64_t interval = show_phase() == SHOW_SORTING ? SORT_FRAME_MS : ROTATION_FRAME_MS;
        if (loop.dirty && frame_ready(loop.frame) && (loop.border_due || now - loop.last_frame_ms >= interval))
            draw(loop, now);
        if (XPending(display) > 0) continue;
        if (poll(waits, wait_count, wait_ms(loop, now, interval)) > 0 && (waits[1].revents & POLLIN)) end_loop(loop, 0);
    }
    show_end();
    end_frames(loop.frame, window);
    return loop.exit_code;
}
