// The program's modal dialogs, one at a time: the main window is disabled
// while one is open, but another program can still send its commands.
#pragma once

#include <windows.h>

// The module whose resources hold the dialog templates; the program sets it
// at start-up.
extern HINSTANCE shell_instance;

// Shows dialog template `id` modally, owned by `owner`, and returns its
// result; while another of the program's dialogs is open it shows nothing
// and returns -1.
INT_PTR show_modal_dialog(int id, HWND owner, DLGPROC procedure);
