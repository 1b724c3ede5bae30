// Answers the program's Options dialog and its restart notice from outside,
// as a user's clicks would.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "tools/driving/huesift_process.h"

inline constexpr const char* OPTIONS_CAPTION = "Options...";
inline constexpr const char* NOTICE_CAPTION = "Changed parameter(s)...";

// Clicks a dialog's button; false when the dialog's thread does not answer
// within the bound (a hung program must not hang its driver too).
bool press_button(HWND dialog, int id);

// The text of a message box: its non-empty static control; "" if none.
std::string message_text(HWND box);

// Posts Options, clicks `buttons`, presses OK, then waits for the restart
// notice and presses its OK. Gives the notice's text, "" when none came.
std::string choose_options(const HuesiftProcess& process, std::initializer_list<int> buttons);
