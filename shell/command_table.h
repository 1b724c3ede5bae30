// The command table: which handler runs for each menu or accelerator command.
// Modules add their own commands while the program starts; the window
// procedure looks them up.
#pragma once

#include <windows.h>

using CommandHandler = void (*)(HWND main_window);

// Adds (or replaces) the handler of command `id`; false when the table is
// full. Returning a value lets a module register itself from the initialiser
// of a file-scope constant.
bool register_command(WORD id, CommandHandler handler);

// Runs the handler of `id` with `main_window`; false when `id` has none.
bool run_command(WORD id, HWND main_window);
