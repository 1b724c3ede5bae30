#include "screensaver/saver_window.h"

#include <windowsx.h>

#include "engine/show.h"
#include "screensaver/saver_painting.h"
#include "screensaver/saver_timings.h"

namespace {

constexpr UINT_PTR CYCLE_TIMER = 1;
constexpr int EXIT_MESSAGE_LOOP_FAILED = 1;
// How often a preview looks for its host between messages.
constexpr DWORD HOST_CHECK_MS = 100;

struct WindowState {
    HWND window = nullptr;  // the saver's own window, until it is destroyed
    bool full_screen = false;
    HWND parent = nullptr;
    bool pointer_known = false;
    POINT first_pointer = {0, 0};
};

WindowState window_state;

// The host's window and, when it is another program's, that process (open
// for waiting only).
struct HostWatch {
    HWND window = nullptr;
    HANDLE process = nullptr;
};

HostWatch host;

void end_show(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
}

// Windows sends a mouse move when the window appears, and the pointer may
// tremble; only a real move away from where it first was ends the show.
void on_mouse_move(HWND window, LPARAM lparam) {
    POINT at = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    ClientToScreen(window, &at);
    if (!window_state.pointer_known) {
        window_state.first_pointer = at;
        window_state.pointer_known = true;
        return;
    }
    const int dx = at.x - window_state.first_pointer.x;
    const int dy = at.y - window_state.first_pointer.y;
    if (dx > MOUSE_MOVE_TOLERANCE || dx < -MOUSE_MOVE_TOLERANCE || dy > MOUSE_MOVE_TOLERANCE ||
        dy < -MOUSE_MOVE_TOLERANCE) {
        end_show(window);
    }
}

// The full-screen show ends on any key, click or real mouse move; the
// preview ignores input (it belongs to the settings page).
bool ends_on_input(HWND window, UINT message, LPARAM lparam) {
    if (!window_state.full_screen) return false;
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_MOUSEWHEEL:
            end_show(window);
            return true;
        case WM_MOUSEMOVE:
            on_mouse_move(window, lparam);
            return true;
        default:
            return false;
    }
}

void on_timer() { show_step(GetTickCount64()); }

// Ends a preview whose host has gone. The system may have destroyed the
// preview's window along with its parent without a WM_DESTROY here, and
// with it the timer; then the show is ended and the loop told directly.
void end_without_host() {
    HWND window = window_state.window;
    if (window && IsWindow(window)) {
        DestroyWindow(window);
        return;
    }
    show_end();
    window_state.window = nullptr;
    install_platform(saver_platform(nullptr));
    PostQuitMessage(0);
}

// The worker is stopped while the window still exists (a repaint it waits
// for is still served); the image is released after the loop.
void on_destroy(HWND window) {
    KillTimer(window, CYCLE_TIMER);
    show_end();
    window_state.window = nullptr;
    install_platform(saver_platform(nullptr));
    PostQuitMessage(0);
}

LRESULT CALLBACK saver_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (ends_on_input(window, message, lparam)) return 0;
    switch (message) {
        case WM_PAINT:
            paint_saver_window(window, window_state.full_screen);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel, black included
        case WM_SETCURSOR:
            if (!window_state.full_screen) break;
            SetCursor(nullptr);
            return TRUE;
        case WM_TIMER:
            if (wparam == CYCLE_TIMER) on_timer();
            return 0;
        case WM_DESTROY:
            on_destroy(window);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

bool register_saver_class(HINSTANCE instance) {
    WNDCLASSEXA window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = saver_window_proc;
    window_class.hInstance = instance;
    window_class.hCursor = nullptr;
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = SAVER_WINDOW_CLASS;
    return RegisterClassExA(&window_class) != 0;
}

}  // namespace

HWND create_saver_window(HINSTANCE instance, HWND preview_parent) {
    if (!register_saver_class(instance)) return nullptr;
    window_state = WindowState{};
    window_state.full_screen = preview_parent == nullptr;
    window_state.parent = preview_parent;
    if (preview_parent) watch_host(preview_parent);
    HWND window = nullptr;
    if (preview_parent) {
        RECT client;
        GetClientRect(preview_parent, &client);
        window = CreateWindowExA(0, SAVER_WINDOW_CLASS, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, client.right,
                                 client.bottom, preview_parent, nullptr, instance, nullptr);
    } else {
        // Every monitor: the virtual screen may start left of or above the
        // primary monitor.
        window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, SAVER_WINDOW_CLASS, "Huesift", WS_POPUP,
                                 GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                 GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
                                 nullptr, instance, nullptr);
    }
    if (!window) return nullptr;
    window_state.window = window;
    install_platform(saver_platform(window));
    if (window_state.full_screen) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(window);
        ShowCursor(FALSE);
    }
    UpdateWindow(window);
    // A picture the show cannot make is not worded: a box behind the topmost
    // full-screen window would go unseen, so the screen stays black until the
    // next picture.
    const SaverTimings timings = choose_saver_timings();
    show_begin(timings.show, SHOW_ON_WORKER_THREAD, GetTickCount64());
    SetTimer(window, CYCLE_TIMER, timings.check_period_ms, nullptr);
    return window;
}

int run_saver_loop() {
    MSG message = {};
    for (;;) {
        // A preview also wakes when its host's process ends, and at least
        // every HOST_CHECK_MS to look for its parent window.
        const DWORD handles = host.process ? 1 : 0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(
            handles, &host.process, window_state.parent ? HOST_CHECK_MS : INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED) break;
        if (window_state.parent && !host_still_there()) end_without_host();
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                show_end();
                stop_watching_host();
                return static_cast<int>(message.wParam);
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    show_end();
    stop_watching_host();
    return EXIT_MESSAGE_LOOP_FAILED;
}

bool usable_host_window(HWND window) {
    HWND desktop = GetDesktopWindow();
    if (!window || window == desktop || !IsWindow(window)) return false;
    // A message-only window hangs under the message root, not the desktop.
    HWND top = GetAncestor(window, GA_ROOT);
    return top && GetAncestor(top, GA_PARENT) == desktop;
}

void watch_host(HWND window) {
    stop_watching_host();
    host.window = window;
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    // Without the process handle the window alone is watched.
    if (process_id != 0 && process_id != GetCurrentProcessId())
        host.process = OpenProcess(SYNCHRONIZE, FALSE, process_id);
}

bool host_still_there() {
    if (!host.window || !IsWindow(host.window)) return false;
    return !host.process || WaitForSingleObject(host.process, 0) == WAIT_TIMEOUT;
}

void stop_watching_host() {
    if (host.process) CloseHandle(host.process);
    host = HostWatch{};
}
