// What the shell tests share: a fresh main window for every test, waits that
// keep the window's messages flowing, and the means to drive modal dialogs
// from a second thread as a user would, while the test's thread runs them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>

#include "engine/platform.h"
#include "tests/platform_swap.h"

// The main window as the engine's platform record knows it: the window that
// create_main_window made, until it is destroyed.
inline HWND current_main_window() { return static_cast<HWND>(installed_platform().context); }

// Generous bound for anything the tests wait for.
inline constexpr int WAIT_BOUND_MS = 30000;

// Each test starts from the start-up state with a new, shown main window and
// the platform's services installed; afterwards the window is destroyed, its
// quit message consumed, and no worker or engine memory may remain.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Dispatches this thread's messages until `done()` holds; false when
// `bound_ms` passed first.
bool pump_until(const std::function<bool()>& done, int bound_ms = WAIT_BOUND_MS);

// Polls `done()` from a thread with no windows of its own (a driver).
bool poll_until(const std::function<bool()>& done, int bound_ms = WAIT_BOUND_MS);

// The visible top-level dialog of this process with this caption, or nullptr.
HWND find_own_dialog(const char* caption);

// Sends WM_COMMAND `id` to the main window, as its menu does, while `drive`
// runs on a second thread; `command_done` tells the driver when the command
// has returned. Returns when both have finished.
void run_command_driven(WORD id, const std::function<void(const std::atomic<bool>& command_done)>& drive);

// The ways a user closes a dialog.
enum Closing { CLOSE_WITH_OK, CLOSE_WITH_CANCEL, CLOSE_WITH_ENTER, CLOSE_WITH_ESC, CLOSE_WITH_CLOSE_BOX };

// Closes `dialog` the way `closing` names, as the user would.
void close_dialog(HWND dialog, Closing closing);

// Clicks a dialog's button as the mouse would (focus, press, release).
void click_button(HWND dialog, int id);

// Brings `window` to the front and types a key there through the real input
// queue; `modifiers` are virtual keys held down around it (Alt, Shift).
void type_key(HWND window, WORD virtual_key, std::initializer_list<WORD> modifiers = {});

// Types the character `c` with Alt held, with Shift too where the keyboard
// needs it for that character.
void type_alt_char(HWND window, char c);

// Waits until `window` is gone; if it is still there after the bound, posts
// IDCANCEL to it so the test fails instead of hanging, and returns false.
bool wait_closed(HWND window);

// The texts of the static text controls among the children of `window`
// (icons left out), joined by newlines.
std::string static_texts(HWND window);

// Dispatches the messages queued for this thread so far.
void flush_messages();
