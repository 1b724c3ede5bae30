// Showing the image in the screensaver's window: enlarged by a whole factor
// and centred on black on every monitor the window covers (or in the whole
// preview window), and the repaint operation the workers call.
#pragma once

#include <windows.h>

#include "engine/platform.h"

// Paints the window for WM_PAINT. `per_monitor` places one copy of the image
// on each monitor; otherwise the client area is the one area.
void paint_saver_window(HWND window, bool per_monitor);

// The platform record for the saver's `window` (none before it exists and
// after it has gone): its repaint repaints that window and returns after the
// paint, and the wait keeps the window serving while a worker stops.
PlatformServices saver_platform(HWND window);
