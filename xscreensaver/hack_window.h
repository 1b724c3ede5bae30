// The window the hack draws in: the one XScreenSaver hands it, one named on
// the command line, the root window or a window of its own; the events it
// asks of it, and its size as the latest of them gives it.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "xscreensaver/hack_options.h"

// The side of a window of the hack's own when it opens: a 256 picture shows
// at twice its size in it, a 512 picture at its own.
inline constexpr int OWN_WINDOW_SIDE = 600;
inline constexpr const char* OWN_WINDOW_TITLE = "Huesift";

struct WindowChoice {
    DrawTarget target = TARGET_OWN_WINDOW;  // TARGET_ROOT, TARGET_OWN_WINDOW or TARGET_WINDOW_ID
    unsigned long id = 0;                   // for TARGET_WINDOW_ID
};

// The window the options choose, with $XSCREENSAVER_WINDOW's value
// (`variable`, null or empty when unset) where they leave it the say. False,
// with `error` one line, when the variable names no window id.
bool choose_window(const HackOptions& options, const char* variable, WindowChoice& choice, std::string& error);

struct HackWindow {
    Display* display = nullptr;
    Window window = None;
    bool own = false;  // made here, so the window manager's close and a key end the show
    Visual* visual = nullptr;
    int depth = 0;
    int width = 0;
    int height = 0;
    Atom delete_message = None;  // WM_DELETE_WINDOW, for a window of its own
};

// Opens the chosen window (makes and maps it for TARGET_OWN_WINDOW), reads
// its visual and size and asks for its exposures and changes of size, and
// for a window of its own its keys and close. From then on the window's end
// is watched for (x_errors.h). False, with `error` one line, for a window
// that does not exist or whose visual has no red, green and blue masks.
bool open_hack_window(Display* display, const WindowChoice& choice, HackWindow& window, std::string& error);

// Whether a configure event changed the window's size; the size is kept.
bool follow_window_size(HackWindow& window, const XConfigureEvent& event);
