#include "shell/main_window.h"

#include "engine/image.h"
#include "engine/settings.h"
#include "engine/worker.h"
#include "resources/resource_ids.h"
#include "shell/command_table.h"
#include "shell/modal_dialog.h"
#include "shell/painting.h"
#include "shell/platform_services.h"

namespace {

constexpr int TEXT_BUFFER_CHARS = 100;
constexpr LRESULT CREATE_GO_ON = 1;
constexpr LRESULT CREATE_ABANDON = -1;

MessageSource message_source = GetMessageA;

char window_title[TEXT_BUFFER_CHARS];
char window_class_name[TEXT_BUFFER_CHARS];

// Without its drawing context the window could never hold an image, so its
// creation is abandoned rather than left to fail at the first Start.
LRESULT on_create(HWND window, WPARAM, LPARAM) { return open_drawing_context(window) ? CREATE_GO_ON : CREATE_ABANDON; }

LRESULT on_paint(HWND window, WPARAM, LPARAM) {
    paint_window(window);
    return 0;
}

// The worker is stopped before the image it works on is released, and the
// platform forgets the window so that nothing repaints a window that is gone.
LRESULT on_destroy(HWND, WPARAM, LPARAM) {
    stop_worker();
    close_drawing_context();
    install_platform(window_platform(nullptr, repaint_window));
    PostQuitMessage(0);
    return 0;
}

LRESULT on_command(HWND window, WPARAM wparam, LPARAM) {
    run_command(LOWORD(wparam), window);
    return 0;
}

using MessageHandler = LRESULT (*)(HWND window, WPARAM wparam, LPARAM lparam);

struct MessageEntry {
    UINT message;
    MessageHandler handler;
};

constexpr MessageEntry MESSAGE_TABLE[] = {
    {WM_CREATE, on_create},
    {WM_PAINT, on_paint},
    {WM_DESTROY, on_destroy},
    {WM_COMMAND, on_command},
};

void register_window_class(HINSTANCE instance) {
    WNDCLASSEXA window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_HUESIFT));
    window_class.hIconSm =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_HUESIFT_SMALL), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    window_class.lpszClassName = window_class_name;
    // A failed registration shows as the failed creation that follows.
    RegisterClassExA(&window_class);
}

// While a stop waits for the worker, the wait dispatches messages that other
// threads send. A command or close request among them would stop, start or
// destroy what the waiting code still relies on; it is posted again instead,
// so it runs from the message loop once the wait is over, and nothing is lost.
bool hold_back_during_stop(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!worker_stop_waiting()) return false;
    if (message != WM_COMMAND && message != WM_CLOSE) return false;
    PostMessageA(window, message, wparam, lparam);
    return true;
}

}  // namespace

SIZE main_window_size() {
    // The frame the system draws around a client area that holds a 512 image.
    RECT needed = {0, 0, IMAGE_SIZE_BIG, IMAGE_SIZE_BIG};
    if (!AdjustWindowRectEx(&needed, MAIN_WINDOW_STYLE, TRUE, 0)) return {MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT};
    const LONG width = needed.right - needed.left;
    const LONG height = needed.bottom - needed.top;
    return {width > MAIN_WINDOW_WIDTH ? width : MAIN_WINDOW_WIDTH,
            height > MAIN_WINDOW_HEIGHT ? height : MAIN_WINDOW_HEIGHT};
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (hold_back_during_stop(window, message, wparam, lparam)) return 0;
    for (const MessageEntry& entry : MESSAGE_TABLE) {
        if (entry.message == message) return entry.handler(window, wparam, lparam);
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND create_main_window(HINSTANCE instance) {
    shell_instance = instance;
    LoadStringA(instance, IDS_APP_TITLE, window_title, TEXT_BUFFER_CHARS);
    LoadStringA(instance, IDS_WINDOW_CLASS, window_class_name, TEXT_BUFFER_CHARS);
    register_window_class(instance);
    const SIZE outer = main_window_size();
    HWND window = CreateWindowExA(0, window_class_name, window_title, MAIN_WINDOW_STYLE, 0, 0, outer.cx, outer.cy,
                                  nullptr, nullptr, instance, nullptr);
    if (window) install_platform(window_platform(window, repaint_window));
    return window;
}

int run_message_loop(HINSTANCE instance) {
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    MSG message = {};
    BOOL got;
    while ((got = message_source(&message, nullptr, 0, 0)) > 0) {
        if (TranslateAcceleratorA(message.hwnd, accelerators, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // GetMessage gives -1 on error; ending the loop then beats spinning on
    // it, and the exit code must not claim success.
    if (got < 0) return EXIT_CODE_MESSAGE_LOOP_FAILED;
    return static_cast<int>(message.wParam);
}

void set_message_source(MessageSource source) { message_source = source ? source : GetMessageA; }

int run_huesift(HINSTANCE instance, int show_command) {
    HWND window = create_main_window(instance);
    if (!window) return EXIT_CODE_NO_WINDOW;
    ShowWindow(window, show_command);
    UpdateWindow(window);
    const int exit_code = run_message_loop(instance);
    stop_worker();
    return exit_code;
}
