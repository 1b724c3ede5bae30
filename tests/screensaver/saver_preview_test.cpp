// huesift.scr /p as the screensaver settings page runs it: a child window
// filling the page's small monitor and ending when the page goes away. Wine
// never shows the pixels of another process's child window, so the drawing
// itself is checked with the same window made in this process.
#include <gtest/gtest.h>

#include <string>

#include "engine/image.h"
#include "engine/run_state.h"
#include "screensaver/saver_painting.h"
#include "screensaver/saver_window.h"
#include "shell/platform_services.h"
#include "tools/driving/saver_process.h"

namespace {

constexpr int PREVIEW_WIDTH = 152;
constexpr int PREVIEW_HEIGHT = 112;
constexpr const char* PARENT_CLASS = "SaverPreviewParent";

void pump_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

HWND make_parent() {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = PARENT_CLASS;
    RegisterClassA(&window_class);
    RECT outer = {0, 0, PREVIEW_WIDTH, PREVIEW_HEIGHT};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    HWND parent = CreateWindowA(PARENT_CLASS, "preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    pump_messages();
    return parent;
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
        SaverProcess saver;
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
            return !saver_still_running(saver);
        })) << "the preview outlived its window";
        EXPECT_TRUE(wait_for_saver_exit(saver, exit_code, 0));
        EXPECT_EQ(exit_code, 0u);
        close_saver(saver);
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
