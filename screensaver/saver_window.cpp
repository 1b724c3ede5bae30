#include "screensaver/saver_window.h"

#include <windowsx.h>

#include "screensaver/saver_cycle.h"
#include "screensaver/saver_painting.h"

namespace {

constexpr UINT_PTR CYCLE_TIMER = 1;
constexpr int EXIT_MESSAGE_LOOP_FAILED = 1;

struct WindowState {
    bool full_screen = false;
    HWND parent = nullptr;
    bool pointer_known = false;
    POINT first_pointer = {0, 0};
};

WindowState window_state;

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

void on_timer(HWND window) {
    // The settings page may close without telling its child first.
    if (window_state.parent && !IsWindow(window_state.parent)) {
        end_show(window);
        return;
    }
    cycle_step(GetTickCount64());
}

// The worker is stopped while the window still exists (a repaint it waits
// for is still served); the image is released after the loop.
void on_destroy(HWND window) {
    KillTimer(window, CYCLE_TIMER);
    cycle_end();
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
            if (wparam == CYCLE_TIMER) on_timer(window);
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
    install_platform(saver_platform(window));
    if (window_state.full_screen) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(window);
        ShowCursor(FALSE);
    }
    UpdateWindow(window);
    const CycleTimings timings = choose_cycle_timings();
    cycle_begin(timings, GetTickCount64());
    SetTimer(window, CYCLE_TIMER, timings.check_period_ms, nullptr);
    return window;
}

int run_saver_loop() {
    MSG message = {};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    cycle_end();
    if (got < 0) return EXIT_MESSAGE_LOOP_FAILED;
    return static_cast<int>(message.wParam);
}
