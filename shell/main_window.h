// The program's one top-level window: start-up (strings, class, window,
// platform services), the window procedure and the message loop.
#pragma once

#include <windows.h>

// The window's outer size in pixels; its client area holds a 512 image.
inline constexpr int MAIN_WINDOW_WIDTH = 522;
inline constexpr int MAIN_WINDOW_HEIGHT = 560;

// Returned by the entry when the main window cannot be created.
inline constexpr int EXIT_CODE_NO_WINDOW = 1;

extern HINSTANCE shell_instance;
extern HWND main_window;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Loads the title and class name, registers the class, creates the (hidden)
// main window and installs the platform's services into the engine. Returns
// the window, or nullptr when it cannot be created.
HWND create_main_window(HINSTANCE instance);

// Runs the message loop, with the accelerator table, until the quit message;
// returns the quit message's code.
int run_message_loop(HINSTANCE instance);

// The whole program: create and show the window, run the loop, stop the
// worker. Returns the process's exit code.
int run_huesift(HINSTANCE instance, int show_command);
