#include "shell/options_dialog.h"

#include <atomic>
#include <cstdint>
#include <span>

#include "engine/sort_settings.h"
#include "engine/worker.h"
#include "resources/resource_ids.h"
#include "shell/message_boxes.h"
#include "shell/modal_dialog.h"
#include "shell/window_flags.h"

namespace {

struct CodeButton {
    std::int32_t code;
    int button;
};

// Each table is in the order in which its group is examined on OK; the first
// checked button gives the setting.
constexpr CodeButton SURFACE_BUTTONS[] = {
    {SURFACE_SQUARE, IDC_SURFACE_SQUARE},
    {SURFACE_CIRCLE, IDC_SURFACE_CIRCLE},
    {SURFACE_TORUS, IDC_SURFACE_TORUS},
    {SURFACE_TRIANGLE, IDC_SURFACE_TRIANGLE},
    {SURFACE_TRIANGLE_INVERTED, IDC_SURFACE_TRIANGLE_INVERTED},
};
constexpr CodeButton SPEED_BUTTONS[] = {
    {ROTATION_DELAYS[0], IDC_SPEED_1_FASTEST}, {ROTATION_DELAYS[1], IDC_SPEED_2},
    {ROTATION_DELAYS[2], IDC_SPEED_3},         {ROTATION_DELAYS[3], IDC_SPEED_4},
    {ROTATION_DELAYS[4], IDC_SPEED_5_SLOWEST},
};
constexpr CodeButton SIZE_BUTTONS[] = {
    {IMAGE_SIZE_SMALL, IDC_SIZE_SMALL},
    {IMAGE_SIZE_BIG, IDC_SIZE_BIG},
};
constexpr CodeButton REFRESH_BUTTONS[] = {
    {REFRESH_MORE, IDC_REFRESH_MORE},
    {REFRESH_LESS, IDC_REFRESH_LESS},
};
constexpr CodeButton DIRECTION_BUTTONS[] = {
    {RED_UP, IDC_RED_UP},
    {RED_DOWN, IDC_RED_DOWN},
};

void check_button_for(HWND dialog, std::span<const CodeButton> group, std::int32_t code) {
    for (const CodeButton& entry : group) {
        if (entry.code == code) {
            SendDlgItemMessageA(dialog, entry.button, BM_SETCHECK, BST_CHECKED, 0);
            return;
        }
    }
}

// Puts the code of the first checked button of the group into `code`; a
// group with none checked leaves the setting as it is.
void take_checked_code(HWND dialog, std::span<const CodeButton> group, std::int32_t& code) {
    for (const CodeButton& entry : group) {
        if (SendDlgItemMessageA(dialog, entry.button, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            code = entry.code;
            return;
        }
    }
}

}  // namespace

void options_init(HWND dialog) {
    check_button_for(dialog, SURFACE_BUTTONS, sort_settings.surface);
    check_button_for(dialog, SPEED_BUTTONS, sort_settings.rotation_delay.load(std::memory_order_relaxed));
    check_button_for(dialog, SIZE_BUTTONS, sort_settings.image_size);
    check_button_for(dialog, REFRESH_BUTTONS, sort_settings.refresh_interval.load(std::memory_order_relaxed));
    check_button_for(dialog, DIRECTION_BUTTONS, sort_settings.red_direction);
}

void options_apply(HWND dialog) {
    window_flags.params_changed = 0;
    const SettingsValues before = current_settings();
    SettingsValues after = before;
    take_checked_code(dialog, SURFACE_BUTTONS, after.surface);
    take_checked_code(dialog, SPEED_BUTTONS, after.rotation_delay);
    take_checked_code(dialog, SIZE_BUTTONS, after.image_size);
    take_checked_code(dialog, REFRESH_BUTTONS, after.refresh_interval);
    take_checked_code(dialog, DIRECTION_BUTTONS, after.red_direction);

    // A change for the next Start ends the worker (and rotation mode) before
    // the new codes are stored; the rest reach the running worker: a rotation
    // its new pace from its next pause, a sort its new interval from its next
    // tick, the refresh count restarted so that it cannot already stand past a
    // smaller interval.
    const SettingsChange change = settings_change(before, after, window_flags.rotation_on != 0);
    if (change.stop_worker) stop_worker();
    if (change.rotation_off) window_flags.rotation_on = 0;
    if (change.needs_start) window_flags.params_changed = 1;
    apply_settings(after);
    if (change.restart_refresh_count) run_state.refresh_counter.store(0, std::memory_order_relaxed);
}

INT_PTR CALLBACK options_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) {
        options_init(dialog);
        return TRUE;  // the focus goes to the first tab stop, OK
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wparam)) {
        case IDOK:
            options_apply(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:  // also Esc and the close box
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

void on_options(HWND main_window) {
    show_modal_dialog(IDD_OPTIONS, main_window, options_dialog_proc);
    if (!window_flags.params_changed) return;
    show_ownerless_box(RESTART_NOTICE_TEXT, RESTART_NOTICE_CAPTION);
    window_flags.params_changed = 0;
}

std::vector<std::vector<int>> options_button_groups() {
    const auto buttons_of = [](std::span<const CodeButton> table) {
        std::vector<int> buttons;
        for (const CodeButton& entry : table) buttons.push_back(entry.button);
        return buttons;
    };
    return {buttons_of(SURFACE_BUTTONS), buttons_of(SPEED_BUTTONS), buttons_of(SIZE_BUTTONS),
            buttons_of(REFRESH_BUTTONS), buttons_of(DIRECTION_BUTTONS)};
}
