#include "tools/driving/saver_driving.h"

#include "screensaver/saver_settings.h"
#include "screensaver/saver_window.h"

std::string saver_program;

bool start_saver(const std::string& arguments, HuesiftProcess& process, bool fast) {
    SetEnvironmentVariableA("HUESIFT_SCR_FAST", fast ? "1" : nullptr);
    return start_process(saver_program, arguments, process);
}

HWND find_saver_window(const HuesiftProcess& process, HWND parent) {
    return find_window_of(process, SAVER_WINDOW_CLASS, parent);
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
