// huesift.scr /p as the screensaver settings page runs it: a child window
// filling the page's small monitor and ending when the page goes away. Wine
// never shows the pixels of another process's child window, so the drawing
// itself is checked with the same window made in this process.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/image.h"
#include "engine/worker.h"
#include "screensaver/saver_painting.h"
#include "screensaver/saver_window.h"
#include "shell/platform_services.h"
#include "tests/screensaver/preview_host.h"
#include "tools/driving/saver_driving.h"

namespace {

constexpr int PREVIEW_WIDTH = 152;
constexpr int PREVIEW_HEIGHT = 112;

void pump_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

HWND make_parent() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = PREVIEW_HOST_CLASS;
    RegisterClassA(&window_class);
    RECT outer = {0, 0, PREVIEW_WIDTH, PREVIEW_HEIGHT};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    HWND parent = CreateWindowA(PREVIEW_HOST_CLASS, "preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 100,
                                100, outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    pump_messages();
    return parent;
}

// Starts this test program again as the preview's host and finds its
// window; false when either fails.
bool start_host(const char* how, PROCESS_INFORMATION& host, HWND& window) {
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command_line = L"\"" + std::wstring(program) + L"\" ";
    for (const char* part : {PREVIEW_HOST_SWITCH, " ", how})
        command_line += std::wstring(part, part + std::strlen(part));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(program, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &host))
        return false;
    return wait_until([&] {
        window = nullptr;
        while ((window = FindWindowExA(nullptr, window, PREVIEW_HOST_CLASS, nullptr))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == host.dwProcessId) return true;
        }
        return false;
    });
}

int coloured_pixels(const Picture& picture) {
    int coloured = 0;
    for (std::uint32_t word : picture.pixels) coloured += palette_index_of(word) >= 0;
    return coloured;
}

TEST(SaverPreview, OpensAChildFillingTheGivenWindowAndEndsWithIt) {
    for (const char* form : {"/p %llu", "/P:%llu"}) {
        SCOPED_TRACE(form);
        HWND parent = make_parent();
        ASSERT_NE(parent, nullptr);
        char arguments[64];
        std::snprintf(arguments, sizeof(arguments), form,
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(parent)));
        HuesiftProcess saver;
        ASSERT_TRUE(start_saver(arguments, saver));
        HWND child = nullptr;
        EXPECT_TRUE(wait_until([&] {
            pump_messages();
            return (child = find_saver_window(saver, parent)) != nullptr;
        }));
        if (child) {
            RECT client, area;
            GetClientRect(parent, &client);
            GetClientRect(child, &area);
            EXPECT_EQ(area.right, client.right);
            EXPECT_EQ(area.bottom, client.bottom);
            EXPECT_EQ(GetParent(child), parent);
        }

        DestroyWindow(parent);
        DWORD exit_code = 99;
        EXPECT_TRUE(wait_until([&] {
            pump_messages();
            return !still_running(saver);
        })) << "the preview outlived its window";
        EXPECT_TRUE(wait_for_exit(saver, exit_code, 0));
        EXPECT_EQ(exit_code, 0u);
        close_process(saver);
    }
}

// A settings page that is killed, or ends without destroying its window,
// must not leave an invisible preview running that nobody can end.
TEST(SaverPreview, EndsWhenTheProgramThatAskedForItIsGone) {
    for (const char* how : {HOST_WAITS_TO_BE_KILLED, HOST_EXITS_WITH_PREVIEW_SHOWN}) {
        SCOPED_TRACE(how);
        PROCESS_INFORMATION host = {};
        HWND parent = nullptr;
        ASSERT_TRUE(start_host(how, host, parent));
        HuesiftProcess saver;
        ASSERT_TRUE(start_saver("/p " + std::to_string(reinterpret_cast<std::uintptr_t>(parent)), saver));
        // A host that exits does so once it has the preview's window, so
        // that it ends having shown the preview.
        if (std::strcmp(how, HOST_WAITS_TO_BE_KILLED) == 0) {
            EXPECT_TRUE(wait_until([&] { return find_saver_window(saver, parent) != nullptr; }));
            TerminateProcess(host.hProcess, 1);
        }
        EXPECT_EQ(WaitForSingleObject(host.hProcess, DRIVE_WAIT_BOUND_MS), WAIT_OBJECT_0)
            << "the host never had the preview";

        DWORD exit_code = 99;
        EXPECT_TRUE(wait_for_exit(saver, exit_code)) << "the preview outlived its host";
        EXPECT_EQ(exit_code, 0u);
        close_process(saver);
        TerminateProcess(host.hProcess, 1);
        CloseHandle(host.hThread);
        CloseHandle(host.hProcess);
    }
}

// The preview's own window, run here as huesift.scr runs it: the shrunk
// image fills the height of the little monitor and moves, and the loop ends
// with code 0 when the parent is destroyed.
TEST(SaverPreview, ShowsTheShrunkSortAndEndsWithItsParent) {
    HWND parent = make_parent();
    ASSERT_NE(parent, nullptr);
    ASSERT_TRUE(open_drawing_context(nullptr));
    SetEnvironmentVariableA("HUESIFT_SCR_FAST", "1");
    HWND child = create_saver_window(GetModuleHandleA(nullptr), parent);
    ASSERT_NE(child, nullptr);

    Picture before;
    EXPECT_TRUE(wait_until([&] {
        pump_messages();
        before = capture_client(parent);
        return coloured_pixels(before) > PREVIEW_HEIGHT * PREVIEW_HEIGHT / 2;
    })) << "no image in the preview";
    EXPECT_TRUE(wait_until([&] {
        pump_messages();
        return capture_client(parent) != before;
    })) << "the preview does not move";

    PostMessageA(parent, WM_CLOSE, 0, 0);
    EXPECT_EQ(run_saver_loop(), 0);
    EXPECT_EQ(installed_platform().context, nullptr) << "the window is still repainted after it has gone";
    EXPECT_FALSE(worker_is_running());
    close_drawing_context();
    install_platform(PlatformServices{});
}

}  // namespace

int run_preview_host(const char* how) {
    HWND window = make_parent();
    if (!window) return 1;
    SetWindowTextA(window, "preview host");
    const bool exits = std::strcmp(how, HOST_EXITS_WITH_PREVIEW_SHOWN) == 0;
    const ULONGLONG deadline = GetTickCount64() + DRIVE_WAIT_BOUND_MS;
    while (GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pump_messages();
        // ExitProcess leaves the window to the system, as a crash would.
        if (exits && GetWindow(window, GW_CHILD)) ExitProcess(0);
    }
    return 0;
}
