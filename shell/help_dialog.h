// The Help dialog: the program's name, version and a few lines on how to use
// it, opened from the Help menu or with Alt+? and Alt+/.
#pragma once

#include <windows.h>

// Handler of Help > Help ...: shows the dialog until it is closed.
void on_help(HWND main_window);

INT_PTR CALLBACK help_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
