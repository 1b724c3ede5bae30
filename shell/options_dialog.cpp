#include "shell/options_dialog.h"

#include <atomic>
#include <cstdint>
#include <span>

#include "engine/message_box.h"
#include "engine/run_state.h"
#include "resources/resource_ids.h"
#include "shell/command_table.h"
#include "shell/main_window.h"
#include "shell/modal_dialog.h"

namespace {

constexpr std::int32_t ROTATION_DELAY_1_FASTEST = 8;
constexpr std::int32_t ROTATION_DELAY_2 = 16;
constexpr std::int32_t ROTATION_DELAY_3 = 32;
constexpr std::int32_t ROTATION_DELAY_4 = 64;
constexpr std::int32_t ROTATION_DELAY_5_SLOWEST = 128;

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
    {ROTATION_DELAY_1_FASTEST, IDC_SPEED_1_FASTEST},
    {ROTATION_DELAY_2, IDC_SPEED_2},
    {ROTATION_DELAY_3, IDC_SPEED_3},
    {ROTATION_DELAY_4, IDC_SPEED_4},
    {ROTATION_DELAY_5_SLOWEST, IDC_SPEED_5_SLOWEST},
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

// The code of the first checked button of the group; false when none is
// checked, which leaves the setting as it is.
bool checked_code(HWND dialog, std::span<const CodeButton> group, std::int32_t& code) {
    for (const CodeButton& entry : group) {
        if (SendDlgItemMessageA(dialog, entry.button, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

// A change that only takes effect at the next Start ends the worker and
// rotation mode now, and asks for that Start.
void change_for_next_start(std::int32_t& setting, std::int32_t code) {
    stop_worker();
    run_state.rotation_on = 0;
    run_state.params_changed = 1;
    setting = code;
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
    run_state.params_changed = 0;
    std::int32_t code = 0;

    if (checked_code(dialog, SURFACE_BUTTONS, code) && code != sort_settings.surface) {
        change_for_next_start(sort_settings.surface, code);
    }

    // A running rotation takes the new pace from its next pause; without
    // rotation the new speed waits for the next Start.
    if (checked_code(dialog, SPEED_BUTTONS, code) &&
        code != sort_settings.rotation_delay.load(std::memory_order_relaxed)) {
        if (!run_state.rotation_on) {
            stop_worker();
            run_state.params_changed = 1;
        }
        sort_settings.rotation_delay.store(code, std::memory_order_relaxed);
    }

    if (checked_code(dialog, SIZE_BUTTONS, code) && code != sort_settings.image_size) {
        change_for_next_start(sort_settings.image_size, code);
    }

    // A running sort paces by the new interval from its next tick; the
    // counter restarts so that it cannot already stand past a smaller one.
    if (checked_code(dialog, REFRESH_BUTTONS, code) &&
        code != sort_settings.refresh_interval.load(std::memory_order_relaxed)) {
        sort_settings.refresh_interval.store(code, std::memory_order_relaxed);
        run_state.refresh_counter.store(0, std::memory_order_relaxed);
    }

    if (checked_code(dialog, DIRECTION_BUTTONS, code) && code != sort_settings.red_direction) {
        change_for_next_start(sort_settings.red_direction, code);
    }
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
    if (!run_state.params_changed) return;
    show_message_box(RESTART_NOTICE_TEXT, RESTART_NOTICE_CAPTION);
    run_state.params_changed = 0;
}

namespace {

[[maybe_unused]] const bool options_registered = register_command(IDM_OPTIONS, on_options);

}  // namespace

std::vector<std::vector<int>> options_button_groups() {
    const auto buttons_of = [](std::span<const CodeButton> table) {
        std::vector<int> buttons;
        for (const CodeButton& entry : table) buttons.push_back(entry.button);
        return buttons;
    };
    return {buttons_of(SURFACE_BUTTONS), buttons_of(SPEED_BUTTONS), buttons_of(SIZE_BUTTONS),
            buttons_of(REFRESH_BUTTONS), buttons_of(DIRECTION_BUTTONS)};
}
