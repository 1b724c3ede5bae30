// The picture as the window shows it: the engine's image enlarged by the
// largest whole factor that fits (shrunk where even its own size does not),
// centred, with black around it, in an XImage of the window's visual. The
// image lives in shared memory where the server offers it (MIT-SHM), so a
// frame costs the server one copy instead of a trip through the socket.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <vector>

#include "engine/placement.h"
#include "xscreensaver/hack_window.h"

struct FrameImage {
    GC gc = nullptr;
    bool may_share = false;     // the server has MIT-SHM and the hack may use it
    int completion_event = -1;  // the event type of a finished shared put
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    bool shared = false;       // `image` is in shared memory
    int puts_in_flight = 0;    // shared puts the server may still be reading
    bool fast_words = false;   // the image's pixels are host-order words of 8-bit red, green, blue
    unsigned long opaque = 0;  // a 32-bit visual's alpha bits, all set, so that black is opaque black
    Placement placement;
    int image_side = 0;
    std::vector<int> source_of;  // the image row (and column) each frame row (and column) shows
};

// Makes the drawing state for the window; `allow_shared` false keeps to
// plain images even where the server shares memory.
void begin_frames(FrameImage& frame, const HackWindow& window, bool allow_shared);

// Places a picture of side `image_side` (0: none) in the window as its size
// is now, and makes the image again if the placement changed. False when the
// image cannot be made (out of memory); then nothing is drawn but black.
bool fit_frame(FrameImage& frame, const HackWindow& window, int image_side);

// Fills the window black around the picture's place (all of it when there is
// no picture).
void paint_border(const FrameImage& frame, const HackWindow& window);

// Whether the last frame's pixels may be written again: no shared put is
// being read. Events of type `completion_event` must go to note_completion.
bool frame_ready(const FrameImage& frame);
void note_completion(FrameImage& frame);

// Draws the picture's `pixels` (engine words, image_side x image_side) at its
// place; only when frame_ready.
void put_frame(FrameImage& frame, const HackWindow& window, const std::uint32_t* pixels);

void end_frames(FrameImage& frame, const HackWindow& window);
