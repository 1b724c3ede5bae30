// The real huesift.exe as a separate process: started, its main window found
// by class, and its end awaited, as a user's machine sees it.
#pragma once

#include <windows.h>

#include <string>

inline constexpr int DRIVE_WAIT_BOUND_MS = 60000;

struct HuesiftProcess {
    PROCESS_INFORMATION info = {};
    HWND window = nullptr;
};

// A program's path as Windows programs take it: under Wine a Unix path is
// turned into a drive path.
std::wstring windows_path(const std::string& path);

// Starts `program` and waits for its main window (class "MYHUESIFT"). False
// when it cannot be started or shows no window within the bound.
bool start_huesift(const std::string& program, HuesiftProcess& process);

// Waits for the process to end and gives its exit code; false on timeout.
bool wait_for_exit(HuesiftProcess& process, DWORD& exit_code);

// Ends the process if it still runs, and closes its handles.
void close_huesift(HuesiftProcess& process);

// The visible top-level dialog of the process with this caption, or nullptr.
HWND find_dialog_of(const HuesiftProcess& process, const char* caption);

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
