// The Help dialog: opened by its command, by the real menu and by Alt+? and
// Alt+/ typed into the real message loop, and closed in every way a user can.
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "engine/worker.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "tests/shell/shell_test_support.h"

namespace {

constexpr const char* HELP_CAPTION = "Help...";
constexpr const char* HELP_TEXTS =
    "Huesift Version 1.00\n"
    "Does a huesift of a special palette of 90 colours.\n"
    "Click 'Start' and wait until sort stops, then toggle on rotation.\n"
    "Palette animation reveals that the colours sorted into a smooth\n"
    "gradient.";

class HelpDialogTest : public ShellTest {};

TEST_F(HelpDialogTest, ShowsItsTextAndIconAndClosesWithOkEscOrCloseBoxWhileSortingGoesOn) {
    SendMessageA(current_main_window(), WM_COMMAND, IDM_START, 0);
    const std::pair<const char*, Closing> closings[] = {
        {"OK", CLOSE_WITH_OK}, {"Esc", CLOSE_WITH_ESC}, {"close box", CLOSE_WITH_CLOSE_BOX}};
    for (const auto& [name, closing] : closings) {
        SCOPED_TRACE(name);
        bool opened = false;
        bool closed = false;
        bool has_icon = false;
        bool sorting_went_on = false;
        bool second_dialog = false;
        std::string texts;
        run_command_driven(IDM_HELP, [&](const std::atomic<bool>&) {
            HWND dialog = nullptr;
            if (!poll_until([&] { return (dialog = find_own_dialog(HELP_CAPTION)) != nullptr; })) return;
            opened = true;
            texts = static_texts(dialog);
            has_icon = SendDlgItemMessageA(dialog, IDC_HELP_ICON, STM_GETICON, 0, 0) != 0;
            // The sort advances its refresh counter every 65,536 iterations;
            // it keeps moving behind the dialog.
            const auto counter = run_state.refresh_counter.load();
            sorting_went_on = poll_until([&] { return run_state.refresh_counter.load() != counter; });
            // Another program may still send the menu's commands; one that
            // would open a second dialog on top of this one opens nothing.
            DWORD_PTR ignored = 0;
            for (WORD id : {IDM_OPTIONS, IDM_HELP}) {
                if (!SendMessageTimeoutA(current_main_window(), WM_COMMAND, id, 0, SMTO_NORMAL, 5000, &ignored)) {
                    second_dialog = true;
                }
            }
            if (find_own_dialog("Options...")) second_dialog = true;
            close_dialog(dialog, closing);
            closed = wait_closed(dialog);
        });
        ASSERT_TRUE(opened);
        EXPECT_TRUE(closed);
        EXPECT_EQ(texts, HELP_TEXTS);
        EXPECT_TRUE(has_icon);
        EXPECT_TRUE(sorting_went_on) << "the sort stood still behind Help";
        EXPECT_FALSE(second_dialog) << "a second dialog opened over Help";
        EXPECT_TRUE(worker_is_running()) << "Help does not stop the worker";
    }
}

// Runs the program's own message loop on this thread while a driver types at
// the window; counts how often the Help dialog opened.
TEST_F(HelpDialogTest, AltQuestionMarkAltSlashAndTheMenuOpenHelpThroughTheMessageLoop) {
    struct Opening {
        const char* how;
        bool opened = false;
    };
    Opening openings[] = {{"Alt+?"}, {"Alt+/"}, {"Help menu"}};
    HWND window = current_main_window();

    std::thread driver([&] {
        auto open_and_close = [&](Opening& opening, const std::function<void()>& type) {
            type();
            HWND dialog = nullptr;
            opening.opened = poll_until([&] { return (dialog = find_own_dialog(HELP_CAPTION)) != nullptr; });
            if (dialog) {
                click_button(dialog, IDOK);
                wait_closed(dialog);
            }
        };
        open_and_close(openings[0], [&] { type_alt_char(window, '?'); });
        open_and_close(openings[1], [&] { type_alt_char(window, '/'); });
        // Alt+H opens the Help menu; E picks "H&elp ...".
        open_and_close(openings[2], [&] {
            type_key(window, 'H', {VK_MENU});
            type_key(window, 'E');
        });
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    const int quit_code = run_message_loop(GetModuleHandleA(nullptr));
    driver.join();

    for (const Opening& opening : openings) EXPECT_TRUE(opening.opened) << opening.how;
    EXPECT_EQ(quit_code, 0);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
