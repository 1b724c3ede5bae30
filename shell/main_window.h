// The program's one top-level window: start-up (strings, class, window,
// platform services), the window procedure and the message loop.
#pragma once

#include <windows.h>

// The window's usual outer size in pixels; with the frames of older systems
// (and Wine) its client area holds a 512 image.
inline constexpr int MAIN_WINDOW_WIDTH = 522;
inline constexpr int MAIN_WINDOW_HEIGHT = 560;
inline constexpr DWORD MAIN_WINDOW_STYLE = WS_OVERLAPPEDWINDOW;

// Returned by the entry when the main window cannot be created, and when
// the message loop ends because the system could not deliver a message.
inline constexpr int EXIT_CODE_NO_WINDOW = 1;
inline constexpr int EXIT_CODE_MESSAGE_LOOP_FAILED = 2;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The outer size: the usual one, grown just enough where the system's frame
// and menu would leave a client area smaller than a 512 image (the wider
// frames of current Windows).
SIZE main_window_size();

// Loads the title and class name, registers the class, creates the (hidden)
// main window and installs the platform's services, which repaint it, into
// the engine. Returns the window, or nullptr when it cannot be created.
HWND create_main_window(HINSTANCE instance);

// Runs the message loop, with the accelerator table, until the quit message;
// returns the quit message's code, or EXIT_CODE_MESSAGE_LOOP_FAILED when the
// system failed to deliver a message.
int run_message_loop(HINSTANCE instance);

// Where the loop takes its messages from: GetMessageA, unless a test puts a
// source in its place (nullptr restores GetMessageA).
using MessageSource = BOOL(WINAPI*)(LPMSG message, HWND window, UINT first, UINT last);
void set_message_source(MessageSource source);

// The whole program: create and show the window, run the loop, stop the
// worker. Returns the process's exit code.
int run_huesift(HINSTANCE instance, int show_command);
