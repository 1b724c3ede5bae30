// The main window as created at start-up: its class, title, size and style,
// its icons, menu and accelerator table.
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "tests/shell/shell_test_support.h"

namespace {

class MainWindowTest : public ShellTest {};

TEST_F(MainWindowTest, HasItsClassTitleStyleAndOuterSize) {
    char text[100] = {};
    GetClassNameA(current_main_window(), text, sizeof(text));
    EXPECT_STREQ(text, "MYHUESIFT");
    GetWindowTextA(current_main_window(), text, sizeof(text));
    EXPECT_STREQ(text, "Huesift");

    const LONG style = GetWindowLongA(current_main_window(), GWL_STYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    RECT outer;
    GetWindowRect(current_main_window(), &outer);
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.right - outer.left, 522);
    EXPECT_EQ(outer.bottom - outer.top, 560);

    RECT client;
    GetClientRect(current_main_window(), &client);
    EXPECT_GE(client.right, 512) << "a 512 image fits across";
    EXPECT_GE(client.bottom, 512) << "a 512 image fits down";
}

// Current Windows draws frames about 8 pixels wide, where the usual outer
// size would cut off the right and bottom of a 512 image. With such frames
// (set here for this process only, not saved) the window grows just enough.
TEST_F(MainWindowTest, GrowsJustEnoughForA512ImageWhenTheFrameIsWide) {
    NONCLIENTMETRICSA usual = {};
    usual.cbSize = sizeof(usual);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(usual), &usual, 0));
    const int usual_frame = GetSystemMetrics(SM_CXFRAME);
    NONCLIENTMETRICSA wide = usual;
    wide.iBorderWidth = usual.iBorderWidth + 8;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(wide), &wide, 0));
    const int wide_frame = GetSystemMetrics(SM_CXFRAME);

    DestroyWindow(current_main_window());
    flush_messages();
    HWND window = create_main_window(GetModuleHandleA(nullptr));
    RECT outer = {}, client = {};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, sizeof(usual), &usual, 0);

    ASSERT_GT(wide_frame, usual_frame) << "the wider frame did not take";
    EXPECT_EQ(client.right, 512);
    EXPECT_EQ(client.bottom, 512);
    EXPECT_GT(outer.right - outer.left, 522);
    EXPECT_GT(outer.bottom - outer.top, 560);
}

// Refuses the creation of every window of this thread, as the system does
// when it runs out of window resources.
LRESULT CALLBACK refuse_window_creation(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND) return 1;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(MainWindowTest, TheProgramEndsWithCodeOneWhenItsWindowCannotBeCreated) {
    DestroyWindow(current_main_window());
    flush_messages();
    HHOOK hook = SetWindowsHookExA(WH_CBT, refuse_window_creation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const int code = run_huesift(GetModuleHandleA(nullptr), SW_SHOW);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(code, EXIT_CODE_NO_WINDOW);
    EXPECT_EQ(current_main_window(), nullptr);
}

TEST_F(MainWindowTest, ClassHasBlackBackgroundArrowCursorRedrawStylesAndBothIcons) {
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrA(current_main_window(), GCLP_HBRBACKGROUND)),
              static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(current_main_window(), GCLP_HCURSOR)),
              LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(GetClassLongPtrA(current_main_window(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW),
              static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_NE(GetClassLongPtrA(current_main_window(), GCLP_HICON), 0u);
    EXPECT_NE(GetClassLongPtrA(current_main_window(), GCLP_HICONSM), 0u);
}

std::vector<int> icon_sizes(int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    if (!found) return {};
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    std::vector<int> sizes;
    constexpr int DIRECTORY_BYTES = 6;
    constexpr int ENTRY_BYTES = 14;
    for (WORD i = 0; i < count; ++i) sizes.push_back(group[DIRECTORY_BYTES + i * ENTRY_BYTES]);
    return sizes;
}

TEST_F(MainWindowTest, BothIconsHold16And32And48PixelImages) {
    const std::vector<int> expected = {16, 32, 48};
    EXPECT_EQ(icon_sizes(IDI_HUESIFT), expected);
    EXPECT_EQ(icon_sizes(IDI_HUESIFT_SMALL), expected);
}

struct MenuItem {
    const char* text;
    UINT id;
};

void expect_popup(HMENU bar, int position, const char* title, const std::vector<MenuItem>& items) {
    SCOPED_TRACE(title);
    char text[64] = {};
    GetMenuStringA(bar, position, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, title);
    HMENU popup = GetSubMenu(bar, position);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(items.size()));
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        GetMenuStringA(popup, i, text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(text, items[i].text);
        EXPECT_EQ(GetMenuItemID(popup, i), items[i].id);
        EXPECT_EQ(GetMenuState(popup, i, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_SEPARATOR), 0u)
            << items[i].text;
    }
}

TEST_F(MainWindowTest, MenuHasFileAndHelpWithTheirCommands) {
    HMENU bar = GetMenu(current_main_window());
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    expect_popup(bar, 0, "&File",
                 {{"&Options", IDM_OPTIONS},
                  {"&Start", IDM_START},
                  {"T&oggle rotation", IDM_TOGGLE_ROTATION},
                  {"E&xit", IDM_EXIT}});
    expect_popup(bar, 1, "&Help", {{"H&elp ...", IDM_HELP}});
}

TEST_F(MainWindowTest, AcceleratorsAreAltWithTheCharactersQuestionMarkAndSlash) {
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableA(table, entries, 4), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(entries[i].fVirt & (FVIRTKEY | FALT | FSHIFT | FCONTROL), FALT) << "a character with Alt";
        EXPECT_EQ(entries[i].cmd, IDM_HELP);
    }
    EXPECT_EQ(entries[0].key, '?');
    EXPECT_EQ(entries[1].key, '/');
}

}  // namespace
