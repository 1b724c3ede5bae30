// The screensaver's one window: full screen over every monitor, or a child
// filling the preview's parent; its window procedure, the input that ends
// the full-screen show, and the end of the preview with its host (the
// settings page that asked for it), watched here for the settings too.
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

// Runs the message loop until the window has gone, or (for a preview) its
// host: its parent window destroyed or the parent's process ended, even
// where the system takes the preview's window with it unannounced. Returns
// the exit code, 0 in all these cases.
int run_saver_loop();

// Whether `window` may host a preview or own the settings: a window that
// exists and is not the desktop, nor a message-only window or inside one.
bool usable_host_window(HWND window);

// Watches `window` and the process it belongs to, until stop_watching_host.
void watch_host(HWND window);

// False once the watched window is destroyed or its process has ended.
bool host_still_there();

void stop_watching_host();
