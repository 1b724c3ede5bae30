// The commands that drive the engine from the File menu: Start, Toggle
// rotation and Exit (the command table names them).
#pragma once

#include <windows.h>

// Stops the worker, blackens the old picture, builds a new image and surface
// for the current settings and starts the sort worker they call for.
void on_start(HWND main_window);

// Switches rotation mode: off stops the worker; on stops it, tags the pixels
// and starts the rotation worker, if there is an image to animate.
void on_toggle_rotation(HWND main_window);

// Destroys the main window, which ends the program.
void on_exit(HWND main_window);
