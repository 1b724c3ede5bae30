#include "tools/driving/options_driving.h"

#include "resources/resource_ids.h"

bool press_button(HWND dialog, int id) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, DRIVE_WAIT_BOUND_MS, &ignored) != 0;
}

std::string message_text(HWND box) {
    char text[256] = {};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char class_name[16] = {};
        GetClassNameA(child, class_name, sizeof(class_name));
        if (lstrcmpiA(class_name, "Static") == 0 && GetWindowTextLengthA(child) > 0) {
            GetWindowTextA(child, text, sizeof(text));
        }
    }
    return text;
}

std::string choose_options(const HuesiftProcess& process, std::initializer_list<int> buttons) {
    PostMessageA(process.window, WM_COMMAND, IDM_OPTIONS, 0);
    HWND dialog = nullptr;
    if (!wait_until([&] { return (dialog = find_dialog_of(process, OPTIONS_CAPTION)) != nullptr; })) return "";
    for (int id : buttons) press_button(dialog, id);
    press_button(dialog, IDOK);
    HWND notice = nullptr;
    if (!wait_until([&] { return (notice = find_dialog_of(process, NOTICE_CAPTION)) != nullptr; })) return "";
    const std::string text = message_text(notice);
    press_button(notice, IDOK);
    wait_until([&] { return !IsWindow(notice); });
    return text;
}
