// The window program's command table: the handler of each menu and
// accelerator command, in one constant table that the window procedure looks
// commands up in.
#pragma once

#include <windows.h>

using CommandHandler = void (*)(HWND main_window);

// Runs the handler of `id` with `main_window`; false when `id` has none.
bool run_command(WORD id, HWND main_window);
