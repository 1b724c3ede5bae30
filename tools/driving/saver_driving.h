// Driving huesift.scr as Windows starts it: with its switches and, when
// asked, the short test timings; its window found by class; its saved
// settings removed; and the pointer and keys a user would touch.
#pragma once

#include <windows.h>

#include <string>

#include "tools/driving/huesift_process.h"
#include "tools/driving/screen_picture.h"

// Set by the driving program's entry: the path of huesift.scr.
extern std::string saver_program;

// Starts huesift.scr with `arguments`, with the short test timings when
// `fast`. False when it cannot be started.
bool start_saver(const std::string& arguments, HuesiftProcess& process, bool fast = true);

// The visible window of the screensaver's class: top-level, or a child of
// `parent` when that is given; nullptr when there is none.
HWND find_saver_window(const HuesiftProcess& process, HWND parent = nullptr);

// Moves the pointer to (x, y) of the virtual screen through the real input.
void move_pointer(int x, int y);

// Types one key through the real input queue into `window`.
void press_key(HWND window, WORD virtual_key);

// The key of the saved settings removed, and the parent key if it is empty.
void delete_saved_settings();
