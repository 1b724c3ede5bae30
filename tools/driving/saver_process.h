// The real huesift.scr as a separate process, as Windows starts it: with its
// switches, its window found by class, its end and exit code awaited, and
// the image it shows read back from the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/driving/huesift_process.h"
#include "tools/driving/screen_picture.h"

// Set by the test program's entry: the path of huesift.scr.
extern std::string saver_program;

struct SaverProcess {
    PROCESS_INFORMATION info = {};
    ULONGLONG started_ms = 0;
};

// Starts huesift.scr with `arguments`, with the short test timings when
// `fast`. False when it cannot be started.
bool start_saver(const std::string& arguments, SaverProcess& process, bool fast = true);

// The visible window of the process of the screensaver's class: top-level,
// or a child of `parent` when that is given; nullptr when there is none.
HWND find_saver_window(const SaverProcess& process, HWND parent = nullptr);

// A visible dialog of the process with this caption (any caption when
// nullptr), or nullptr.
HWND find_dialog_of_saver(const SaverProcess& process, const char* caption = nullptr);

// Waits for the end of the process and gives its exit code; false on timeout.
bool wait_for_saver_exit(const SaverProcess& process, DWORD& exit_code, DWORD bound_ms = DRIVE_WAIT_BOUND_MS);

bool saver_still_running(const SaverProcess& process);

// Ends the process if it still runs and closes its handles.
void close_saver(SaverProcess& process);

// The image as shown at (left, top) enlarged by `factor`: one pixel read from
// the middle of each block, as palette indices (-1 for black or any colour
// outside the palette).
std::vector<int> shown_indices(HWND window, int left, int top, int side, int factor);

// Whether every pixel of the `factor` x `factor` blocks of the central
// `blocks` x `blocks` image pixels is the same within its block.
bool blocks_are_uniform(HWND window, int left, int top, int side, int factor, int blocks);

// Two pictures of indices: the sort moved pixels (same colours, some
// elsewhere), or the palette rotated (every coloured pixel moved the same
// number of steps along the palette, and not zero).
bool looks_sorted_between(const std::vector<int>& before, const std::vector<int>& after);
bool looks_rotated_between(const std::vector<int>& before, const std::vector<int>& after);

// Moves the pointer to (x, y) of the virtual screen through the real input.
void move_pointer(int x, int y);

// Types one key through the real input queue into `window`.
void press_key(HWND window, WORD virtual_key);

// The key of the saved settings removed, and the parent key if it is empty.
void delete_saved_settings();
