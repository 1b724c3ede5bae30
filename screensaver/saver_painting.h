// Showing the image in the screensaver's window: enlarged by a whole factor
// and centred on black on every monitor the window covers (or in the whole
// preview window), and the repaint operation the workers call.
#pragma once

#include <windows.h>

// Paints the window for WM_PAINT. `per_monitor` places one copy of the image
// on each monitor; otherwise the client area is the one area.
void paint_saver_window(HWND window, bool per_monitor);

// The repaint operation for set_repaint_hook: repaints `saver_window` (set by
// the window module) and returns after the paint.
void repaint_saver_window();
