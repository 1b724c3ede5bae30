// Showing the image: the paint of the main window and the repaint operation
// that the workers call through the engine's repaint hook.
#pragma once

#include <windows.h>

// Paints the image unscaled at the top-left of the client area, or black
// where there is no image yet. Called for WM_PAINT.
void paint_window(HWND window);

// Invalidates the image rectangle without erasing and paints it at once.
// From another thread it returns after the window's thread has painted.
void repaint_image_rect(HWND window);

// The repaint service of the window's platform record: `window` is the
// window to repaint (nothing happens without one).
void repaint_window(void* window);
