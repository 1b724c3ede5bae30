// The Options dialog: the five settings as groups of radio buttons, applied
// together on OK, and the notice that asks for a new Start when needed.
#pragma once

#include <windows.h>

#include <vector>

inline constexpr const char* RESTART_NOTICE_TEXT = "Click File menu/Start for changes to take effect.";
inline constexpr const char* RESTART_NOTICE_CAPTION = "Changed parameter(s)...";

// Handler of File > Options: shows the dialog, then the restart notice if a
// change needs a new Start.
void on_options(HWND main_window);

INT_PTR CALLBACK options_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Checks the button of each group that the current setting maps to.
void options_init(HWND dialog);

// Stores the checked button of each group as its setting, stopping the worker
// and asking for a restart where a change needs one.
void options_apply(HWND dialog);

// The radio buttons of each of the five groups, as the dialog's tables list
// them: what the checks of the dialog's template compare it with.
std::vector<std::vector<int>> options_button_groups();
