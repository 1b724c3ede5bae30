// One of Huesift's programs (huesift.exe or huesift.scr) as a separate
// process, as a user's machine sees it: started with its arguments, its
// windows and dialogs found, its end and exit code awaited.
#pragma once

#include <windows.h>

#include <string>

inline constexpr int DRIVE_WAIT_BOUND_MS = 60000;

struct HuesiftProcess {
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;  // huesift.exe's main window, once start_huesift found it
    ULONGLONG started_ms = 0;
};

// A program's path as Windows programs take it: under Wine a Unix path is
// turned into a drive path.
std::wstring windows_path(const std::string& path);

// Starts `program` with `arguments` (may be empty). False when it cannot be
// started.
bool start_process(const std::string& program, const std::string& arguments, HuesiftProcess& process);

// Starts huesift.exe and waits for its main window (class "MYHUESIFT").
// False when it cannot be started or shows no window within the bound.
bool start_huesift(const std::string& program, HuesiftProcess& process);

// The visible window of the process of this class: top-level, or a child of
// `parent` when that is given; nullptr when there is none.
HWND find_window_of(const HuesiftProcess& process, const char* window_class, HWND parent = nullptr);

// A visible top-level dialog of the process with this caption (any caption
// when nullptr), or nullptr.
HWND find_dialog_of(const HuesiftProcess& process, const char* caption = nullptr);

// Waits for the process to end and gives its exit code; false on timeout.
bool wait_for_exit(const HuesiftProcess& process, DWORD& exit_code, DWORD bound_ms = DRIVE_WAIT_BOUND_MS);

bool still_running(const HuesiftProcess& process);

// Ends the process if it still runs, and closes its handles.
void close_process(HuesiftProcess& process);

// One line per visible top-level window of the process: class, caption and
// whether it takes input; what a hung program was showing.
std::string describe_windows_of(const HuesiftProcess& process);

// Polls `condition` every few milliseconds until it holds; false when
// `bound_ms` passed first.
template <typename Condition>
bool wait_until(Condition condition, int bound_ms = DRIVE_WAIT_BOUND_MS) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bound_ms);
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
    return true;
}
