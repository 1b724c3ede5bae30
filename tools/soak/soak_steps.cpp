#include "tools/soak/soak_steps.h"

#include <atomic>
#include <thread>

#include "resources/resource_ids.h"
#include "tools/driving/options_driving.h"

namespace {

constexpr const char* HELP_CAPTION = "Help...";

constexpr int RADIO_BUTTONS[] = {
    IDC_SURFACE_SQUARE,  IDC_SURFACE_CIRCLE, IDC_SURFACE_TORUS, IDC_SURFACE_TRIANGLE, IDC_SURFACE_TRIANGLE_INVERTED,
    IDC_SPEED_1_FASTEST, IDC_SPEED_2,        IDC_SPEED_3,       IDC_SPEED_4,          IDC_SPEED_5_SLOWEST,
    IDC_SIZE_BIG,        IDC_SIZE_SMALL,     IDC_REFRESH_MORE,  IDC_REFRESH_LESS,     IDC_RED_UP,
    IDC_RED_DOWN,
};
constexpr int MAX_RADIO_CLICKS = 3;

// A message from the second thread lands a few milliseconds after the
// command that stops the worker: while the program waits for the worker.
constexpr int MAX_INTERFERENCE_DELAY_MS = 8;

enum Step { START, TOGGLE, OPTIONS, HELP, STOP_WITH_INTERFERENCE, EXIT, CLOSE_BOX };
// Relative weights: ending is rare, so that each process lives through
// enough commands for its memory to be compared.
constexpr double STEP_WEIGHTS[] = {22, 22, 20, 8, 27, 0.2, 0.2};

int below(std::mt19937& random, int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

void post_command(const HuesiftProcess& process, WORD id) { PostMessageA(process.window, WM_COMMAND, id, 0); }

// Returns once the command is over: a sent message overtakes posted ones, so
// the warm-up and the measuring state send theirs to keep them in order.
void send_command(const HuesiftProcess& process, WORD id) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(process.window, WM_COMMAND, id, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, DRIVE_WAIT_BOUND_MS,
                        &ignored);
}

// Sends a command that opens a modal dialog from a thread of its own, whose
// send returns once the command is over: the dialog closed and the restart
// notice, if one came, answered. `answer` closes the dialog meanwhile.
template <typename Answer>
void run_dialog_command(const HuesiftProcess& process, WORD id, const char* caption, Answer answer) {
    std::atomic<bool> finished{false};
    std::thread sender([&] {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(process.window, WM_COMMAND, id, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, DRIVE_WAIT_BOUND_MS,
                            &ignored);
        finished = true;
    });
    HWND dialog = nullptr;
    wait_until([&] { return finished || (dialog = find_dialog_of(process, caption)) != nullptr; });
    if (dialog) answer(dialog);
    // A command sent while a stop was waiting is held back and runs later,
    // so its send returns at once and its dialog opens afterwards; and a
    // dialog held back earlier may open under the restart notice. So once the
    // command has had its time, every dialog of the program is answered
    // until the command is over.
    const ULONGLONG answered_at = GetTickCount64();
    wait_until(
        [&] {
            if (HWND notice = find_dialog_of(process, NOTICE_CAPTION)) press_button(notice, IDOK);
            if (finished) return true;
            if (GetTickCount64() - answered_at > ANSWER_BOUND_MS) close_stray_dialogs(process);
            return false;
        },
        DRIVE_WAIT_BOUND_MS);
    sender.join();
}

void change_options(const HuesiftProcess& process, std::mt19937& random) {
    run_dialog_command(process, IDM_OPTIONS, OPTIONS_CAPTION, [&](HWND dialog) {
        for (int clicks = below(random, MAX_RADIO_CLICKS + 1); clicks > 0; --clicks) {
            press_button(dialog, RADIO_BUTTONS[below(random, std::size(RADIO_BUTTONS))]);
        }
        press_button(dialog, below(random, 5) == 0 ? IDCANCEL : IDOK);
    });
}

void open_and_close_help(const HuesiftProcess& process, std::mt19937& random) {
    run_dialog_command(process, IDM_HELP, HELP_CAPTION, [&](HWND dialog) {
        // The OK button, or the close box (which Esc also gives).
        if (below(random, 2) == 0) {
            press_button(dialog, IDOK);
        } else {
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
    });
}

// Posts Start or Toggle rotation, either of which stops the running worker,
// and a few milliseconds later sends Start, Toggle rotation or a close
// request from a second thread, as another program might.
bool stop_with_interference(const HuesiftProcess& process, std::mt19937& random) {
    const WORD stopping = below(random, 2) == 0 ? IDM_START : IDM_TOGGLE_ROTATION;
    const int delay_ms = below(random, MAX_INTERFERENCE_DELAY_MS + 1);
    // A close is rare, so that each run of the program lives long enough to
    // be measured after its warm-up.
    const int pick = below(random, 200);
    const bool close = pick == 0;
    const UINT message = close ? WM_CLOSE : WM_COMMAND;
    const WPARAM wparam = close ? 0 : (pick % 2 == 0 ? IDM_START : IDM_TOGGLE_ROTATION);
    const HWND window = process.window;
    std::thread sender([=] {
        Sleep(static_cast<DWORD>(delay_ms));
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, message, wparam, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, ANSWER_BOUND_MS, &ignored);
    });
    post_command(process, stopping);
    sender.join();
    return close;
}

}  // namespace

StepDone run_random_step(const HuesiftProcess& process, std::mt19937& random) {
    std::discrete_distribution<int> choose(std::begin(STEP_WEIGHTS), std::end(STEP_WEIGHTS));
    switch (choose(random)) {
        case START:
            post_command(process, IDM_START);
            return {"Start", false};
        case TOGGLE:
            post_command(process, IDM_TOGGLE_ROTATION);
            return {"Toggle rotation", false};
        case OPTIONS:
            change_options(process, random);
            return {"Options", false};
        case HELP:
            open_and_close_help(process, random);
            return {"Help", false};
        case STOP_WITH_INTERFERENCE:
            return {"a stop with a message from a second thread", stop_with_interference(process, random)};
        case EXIT:
            post_command(process, IDM_EXIT);
            return {"Exit", true};
        default:
            PostMessageA(process.window, WM_SYSCOMMAND, SC_CLOSE, 0);
            return {"the close box", true};
    }
}

void warm_up(const HuesiftProcess& process) {
    run_dialog_command(process, IDM_HELP, HELP_CAPTION, [](HWND dialog) { press_button(dialog, IDOK); });
    // Every radio button pressed once: Wine keeps a device context (with its
    // region and bitmap) for each control that has drawn itself on a press.
    run_dialog_command(process, IDM_OPTIONS, OPTIONS_CAPTION, [](HWND dialog) {
        for (int button : RADIO_BUTTONS) press_button(dialog, button);
        press_button(dialog, IDCANCEL);
    });
    run_dialog_command(process, IDM_OPTIONS, OPTIONS_CAPTION, [](HWND dialog) {
        press_button(dialog, IDC_SIZE_BIG);
        press_button(dialog, IDOK);
    });
    send_command(process, IDM_START);
    send_command(process, IDM_TOGGLE_ROTATION);
    send_command(process, IDM_TOGGLE_ROTATION);
}

void reach_measuring_state(const HuesiftProcess& process) {
    run_dialog_command(process, IDM_OPTIONS, OPTIONS_CAPTION, [](HWND dialog) {
        press_button(dialog, IDC_SIZE_SMALL);
        press_button(dialog, IDOK);
    });
    send_command(process, IDM_START);
}

bool close_stray_dialogs(const HuesiftProcess& process) {
    constexpr struct {
        const char* caption;
        int button;
    } ANSWERS[] = {{NOTICE_CAPTION, IDOK}, {OPTIONS_CAPTION, IDCANCEL}, {HELP_CAPTION, IDOK}};
    bool found = false;
    for (const auto& answer : ANSWERS) {
        if (HWND dialog = find_dialog_of(process, answer.caption)) {
            press_button(dialog, answer.button);
            found = true;
        }
    }
    return found;
}
