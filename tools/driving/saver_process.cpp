#include "tools/driving/saver_process.h"

#include <array>

#include "screensaver/saver_settings.h"
#include "screensaver/saver_window.h"

std::string saver_program;

namespace {

constexpr int PALETTE_STEPS = 90;

bool belongs_to(HWND window, DWORD process_id) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == process_id;
}

std::array<int, PALETTE_STEPS> histogram(const std::vector<int>& indices) {
    std::array<int, PALETTE_STEPS> counts = {};
    for (int index : indices)
        if (index >= 0) ++counts[index];
    return counts;
}

}  // namespace

bool start_saver(const std::string& arguments, SaverProcess& process, bool fast) {
    const std::wstring path = windows_path(saver_program);
    std::wstring command_line = L"\"" + path + L"\"";
    if (!arguments.empty()) command_line += L" " + std::wstring(arguments.begin(), arguments.end());
    SetEnvironmentVariableA("HUESIFT_SCR_FAST", fast ? "1" : nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    process.started_ms = GetTickCount64();
    return CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process.info) != 0;
}

HWND find_saver_window(const SaverProcess& process, HWND parent) {
    HWND found = nullptr;
    while ((found = FindWindowExA(parent, found, SAVER_WINDOW_CLASS, nullptr))) {
        if (belongs_to(found, process.info.dwProcessId) && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

HWND find_dialog_of_saver(const SaverProcess& process, const char* caption) {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, "#32770", caption))) {
        if (belongs_to(found, process.info.dwProcessId) && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

bool wait_for_saver_exit(const SaverProcess& process, DWORD& exit_code, DWORD bound_ms) {
    if (WaitForSingleObject(process.info.hProcess, bound_ms) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(process.info.hProcess, &exit_code) != 0;
}

bool saver_still_running(const SaverProcess& process) {
    return WaitForSingleObject(process.info.hProcess, 0) == WAIT_TIMEOUT;
}

void close_saver(SaverProcess& process) {
    if (!process.info.hProcess) return;
    if (saver_still_running(process)) {
        TerminateProcess(process.info.hProcess, 1);
        WaitForSingleObject(process.info.hProcess, DRIVE_WAIT_BOUND_MS);
    }
    CloseHandle(process.info.hThread);
    CloseHandle(process.info.hProcess);
    process = SaverProcess{};
}

std::vector<int> shown_indices(HWND window, int left, int top, int side, int factor) {
    HDC device = GetDC(window);
    const Picture picture = capture_area(device, left, top, side * factor, side * factor);
    ReleaseDC(window, device);
    std::vector<int> indices;
    if (picture.pixels.empty()) return indices;
    indices.reserve(static_cast<std::size_t>(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            indices.push_back(palette_index_of(picture.at(x * factor + factor / 2, y * factor + factor / 2)));
    return indices;
}

bool blocks_are_uniform(HWND window, int left, int top, int side, int factor, int blocks) {
    const int first = (side - blocks) / 2;
    HDC device = GetDC(window);
    const Picture picture =
        capture_area(device, left + first * factor, top + first * factor, blocks * factor, blocks * factor);
    ReleaseDC(window, device);
    if (picture.pixels.empty()) return false;
    int coloured = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t corner = picture.at(x - x % factor, y - y % factor);
            if (picture.at(x, y) != corner) return false;
            coloured += corner != 0;
        }
    }
    return coloured > 0;
}

bool looks_sorted_between(const std::vector<int>& before, const std::vector<int>& after) {
    if (before.empty() || before.size() != after.size() || before == after) return false;
    const auto counts = histogram(before);
    int coloured = 0;
    for (int c : counts) coloured += c;
    return coloured > 0 && counts == histogram(after);
}

bool looks_rotated_between(const std::vector<int>& before, const std::vector<int>& after) {
    if (before.empty() || before.size() != after.size()) return false;
    int step = -1;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if ((before[i] < 0) != (after[i] < 0)) return false;
        if (before[i] < 0) continue;
        const int moved = (after[i] - before[i] + PALETTE_STEPS) % PALETTE_STEPS;
        if (step < 0) step = moved;
        if (moved != step) return false;
    }
    return step > 0;
}

void move_pointer(int x, int y) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // Absolute input runs from 0 to 65535 over the virtual screen; the
    // centre of the target pixel survives the rounding.
    input.mi.dx = static_cast<LONG>(((x - left) * 65536LL + 32768) / width);
    input.mi.dy = static_cast<LONG>(((y - top) * 65536LL + 32768) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    SendInput(1, &input, sizeof(input));
}

void press_key(HWND window, WORD virtual_key) {
    SetForegroundWindow(window);
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtual_key;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC));
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void delete_saved_settings() {
    RegDeleteKeyA(HKEY_CURRENT_USER, SAVER_SETTINGS_KEY);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Huesift");  // fails, as it should, when not empty
}
