// The screensaver's settings page: the program's own Options dialog over the
// saved settings, written back on OK.
#pragma once

#include <windows.h>

// Shows the Options dialog owned by `owner` (may be none) with the saved
// settings; OK saves them, Cancel leaves them, and so does the end of the
// owner (its window destroyed or its process ended), which closes the
// dialog. Returns the process's exit code: 0, or 1 when the dialog could not
// be shown or the settings not saved (the user is told about the latter).
int run_saver_settings(HINSTANCE instance, HWND owner);
