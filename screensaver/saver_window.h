// The screensaver's one window: full screen over every monitor, or a child
// filling the preview's parent; its window procedure, the input that ends
// the full-screen show, and the end of the preview with its parent.
#pragma once

#include <windows.h>

inline constexpr const char* SAVER_WINDOW_CLASS = "HuesiftScreensaver";

// Ends the full-screen show: a mouse move of more than this many pixels
// from where the pointer first was (smaller ones are a table's tremor).
inline constexpr int MOUSE_MOVE_TOLERANCE = 4;

// Creates the window over the virtual screen (topmost, no cursor), or as a
// child filling `preview_parent`'s client area when that is given. Returns
// nullptr when it cannot be created.
HWND create_saver_window(HINSTANCE instance, HWND preview_parent);

// Runs the message loop until the window has gone; returns the exit code.
int run_saver_loop();
