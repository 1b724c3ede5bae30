#include "tests/shell/shell_test_support.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/global_memory.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/palette.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"
#include "shell/main_window.h"
#include "shell/window_flags.h"

namespace {

constexpr int POLL_INTERVAL_MS = 10;

// Destroys the main window if it still exists and runs the real loop until
// its quit message, so no quit message is left to end a later dialog.
void close_main_window() {
    if (current_main_window()) {
        DestroyWindow(current_main_window());
        run_message_loop(GetModuleHandleA(nullptr));
    }
}

bool is_own_window(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

// Ends the whole test program, naming the test, when one test runs past
// its bound: a hang then fails where it happened instead of running into the
// test runner's limit for the whole program.
class Watchdog {
public:
    void arm(std::string test_name) {
        disarm();
        std::lock_guard lock(mutex_);
        armed_ = true;
        name_ = std::move(test_name);
        thread_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            if (!woken_.wait_for(lock, std::chrono::seconds(TEST_BOUND_S), [this] { return !armed_; })) {
                std::fprintf(stderr, "\nwatchdog: %s did not finish within %d s\n", name_.c_str(), TEST_BOUND_S);
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), WATCHDOG_EXIT_CODE);
            }
        });
    }

    void disarm() {
        {
            std::lock_guard lock(mutex_);
            armed_ = false;
        }
        woken_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

private:
    static constexpr int TEST_BOUND_S = 120;
    static constexpr UINT WATCHDOG_EXIT_CODE = 3;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool armed_ = false;
    std::string name_;
    std::thread thread_;
};

Watchdog watchdog;

}  // namespace

void ShellTest::SetUp() {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    watchdog.arm(std::string(test->test_suite_name()) + "." + test->name());
    apply_settings(SettingsValues{});
    image_geometry = ImageGeometry{};
    reset_run_state();
    window_flags = WindowFlags{};
    set_allocation_gate(nullptr);
    ASSERT_EQ(blocks_in_use(), 0);
    ASSERT_NE(create_main_window(GetModuleHandleA(nullptr)), nullptr);
    ShowWindow(current_main_window(), SW_SHOW);
    UpdateWindow(current_main_window());
}

void ShellTest::TearDown() {
    close_main_window();
    set_allocation_gate(nullptr);
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(image_buffer.drawing_context, nullptr);
    EXPECT_EQ(palette, nullptr);
    EXPECT_EQ(blocks_in_use(), 0) << "engine memory left behind";
    watchdog.disarm();
}

bool pump_until(const std::function<bool()>& done, int bound_ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bound_ms);
    for (;;) {
        flush_messages();
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, POLL_INTERVAL_MS, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool poll_until(const std::function<bool()>& done, int bound_ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bound_ms);
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(POLL_INTERVAL_MS);
    }
    return true;
}

void flush_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND find_own_dialog(const char* caption) {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, "#32770", caption))) {
        if (is_own_window(found) && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

void run_command_driven(WORD id, const std::function<void(const std::atomic<bool>& command_done)>& drive) {
    std::atomic<bool> command_done{false};
    std::thread driver([&] { drive(command_done); });
    SendMessageA(current_main_window(), WM_COMMAND, id, 0);
    command_done = true;
    driver.join();
}

void click_button(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void type_key(HWND window, WORD virtual_key, std::initializer_list<WORD> modifiers) {
    SetForegroundWindow(window);
    std::vector<INPUT> inputs;
    auto key = [&](WORD vk, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD modifier : modifiers) key(modifier, 0);
    key(virtual_key, 0);
    key(virtual_key, KEYEVENTF_KEYUP);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) key(*it, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void type_alt_char(HWND window, char c) {
    const SHORT scan = VkKeyScanA(c);
    const WORD virtual_key = LOBYTE(scan);
    if (HIBYTE(scan) & 1) {
        type_key(window, virtual_key, {VK_MENU, VK_SHIFT});
    } else {
        type_key(window, virtual_key, {VK_MENU});
    }
}

bool wait_closed(HWND window) {
    if (poll_until([&] { return !IsWindow(window); })) return true;
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return false;
}

std::string static_texts(HWND window) {
    std::string texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char class_name[32] = {};
        GetClassNameA(child, class_name, sizeof(class_name));
        if (lstrcmpiA(class_name, "Static") != 0) continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
        char text[256] = {};
        GetWindowTextA(child, text, sizeof(text));
        if (!texts.empty()) texts += '\n';
        texts += text;
    }
    return texts;
}

void close_dialog(HWND dialog, Closing closing) {
    switch (closing) {
        case CLOSE_WITH_OK:
            click_button(dialog, IDOK);
            break;
        case CLOSE_WITH_CANCEL:
            click_button(dialog, IDCANCEL);
            break;
        case CLOSE_WITH_ENTER:
            type_key(dialog, VK_RETURN);
            break;
        case CLOSE_WITH_ESC:
            type_key(dialog, VK_ESCAPE);
            break;
        case CLOSE_WITH_CLOSE_BOX:
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
    }
}
