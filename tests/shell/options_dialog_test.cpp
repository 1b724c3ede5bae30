// The Options dialog driven as a user drives it: opened from the menu command,
// radio buttons clicked, closed with OK, Cancel, Enter, Esc or the close box,
// and the restart notice answered, all from a second thread.
#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "engine/sort_settings.h"
#include "engine/worker.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "shell/options_dialog.h"
#include "shell/painting.h"
#include "shell/window_flags.h"
#include "tests/printers.h"
#include "tests/shell/shell_test_support.h"

namespace {

constexpr const char* OPTIONS_CAPTION = "Options...";

constexpr int RADIO_BUTTONS[] = {
    IDC_SURFACE_SQUARE,  IDC_SURFACE_CIRCLE, IDC_SURFACE_TORUS, IDC_SURFACE_TRIANGLE, IDC_SURFACE_TRIANGLE_INVERTED,
    IDC_SPEED_5_SLOWEST, IDC_SPEED_4,        IDC_SPEED_3,       IDC_SPEED_2,          IDC_SPEED_1_FASTEST,
    IDC_SIZE_BIG,        IDC_SIZE_SMALL,     IDC_REFRESH_MORE,  IDC_REFRESH_LESS,     IDC_RED_UP,
    IDC_RED_DOWN,
};

// What the driver saw of one use of File > Options.
struct OptionsRun {
    bool opened = false;
    bool closed_by_user = false;
    std::vector<int> checked_on_opening;
    int notices = 0;
    std::string notice_text;
};

// Answers every restart notice until the Options command has returned.
void answer_notices(OptionsRun& run, const std::atomic<bool>& command_done) {
    for (;;) {
        HWND notice = nullptr;
        poll_until([&] {
            notice = find_own_dialog(RESTART_NOTICE_CAPTION);
            return notice || command_done;
        });
        if (!notice) return;
        ++run.notices;
        run.notice_text = static_texts(notice);
        click_button(notice, IDOK);
        if (!wait_closed(notice)) return;
    }
}

OptionsRun use_options(const std::vector<int>& clicks, Closing closing) {
    OptionsRun run;
    run_command_driven(IDM_OPTIONS, [&](const std::atomic<bool>& command_done) {
        HWND dialog = nullptr;
        if (!poll_until([&] { return (dialog = find_own_dialog(OPTIONS_CAPTION)) != nullptr; })) return;
        run.opened = true;
        for (int id : RADIO_BUTTONS) {
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) run.checked_on_opening.push_back(id);
        }
        for (int id : clicks) click_button(dialog, id);
        close_dialog(dialog, closing);
        run.closed_by_user = wait_closed(dialog);
        answer_notices(run, command_done);
    });
    return run;
}

class OptionsDialogTest : public ShellTest {
protected:
    static void command(WORD id) { SendMessageA(current_main_window(), WM_COMMAND, id, 0); }
};

struct OpeningCase {
    SettingsValues settings;
    std::vector<int> checked;  // in the order of RADIO_BUTTONS
};

TEST_F(OptionsDialogTest, OpensWithTheButtonOfEveryCurrentCodeChecked) {
    const OpeningCase cases[] = {
        {{SURFACE_CIRCLE, IMAGE_SIZE_SMALL, REFRESH_LESS, 8, RED_UP},
         {IDC_SURFACE_CIRCLE, IDC_SPEED_1_FASTEST, IDC_SIZE_SMALL, IDC_REFRESH_LESS, IDC_RED_UP}},
        {{SURFACE_SQUARE, IMAGE_SIZE_BIG, REFRESH_MORE, 128, RED_DOWN},
         {IDC_SURFACE_SQUARE, IDC_SPEED_5_SLOWEST, IDC_SIZE_BIG, IDC_REFRESH_MORE, IDC_RED_DOWN}},
        {{SURFACE_TORUS, IMAGE_SIZE_SMALL, REFRESH_LESS, 64, RED_UP},
         {IDC_SURFACE_TORUS, IDC_SPEED_4, IDC_SIZE_SMALL, IDC_REFRESH_LESS, IDC_RED_UP}},
        {{SURFACE_TRIANGLE, IMAGE_SIZE_SMALL, REFRESH_LESS, 32, RED_UP},
         {IDC_SURFACE_TRIANGLE, IDC_SPEED_3, IDC_SIZE_SMALL, IDC_REFRESH_LESS, IDC_RED_UP}},
        {{SURFACE_TRIANGLE_INVERTED, IMAGE_SIZE_SMALL, REFRESH_LESS, 16, RED_UP},
         {IDC_SURFACE_TRIANGLE_INVERTED, IDC_SPEED_2, IDC_SIZE_SMALL, IDC_REFRESH_LESS, IDC_RED_UP}},
    };
    for (const OpeningCase& opening : cases) {
        SCOPED_TRACE(testing::PrintToString(opening.settings));
        apply_settings(opening.settings);

        const OptionsRun run = use_options({}, CLOSE_WITH_CANCEL);
        ASSERT_TRUE(run.opened);
        EXPECT_TRUE(run.closed_by_user);
        std::vector<int> expected;
        for (int id : RADIO_BUTTONS) {
            if (std::find(opening.checked.begin(), opening.checked.end(), id) != opening.checked.end()) {
                expected.push_back(id);
            }
        }
        EXPECT_EQ(run.checked_on_opening, expected);
        EXPECT_EQ(current_settings(), opening.settings);
    }
}

TEST_F(OptionsDialogTest, OkWithoutChangesChangesNothingAndShowsNoNotice) {
    command(IDM_START);
    const SettingsValues before = current_settings();
    const OptionsRun run = use_options({}, CLOSE_WITH_OK);
    ASSERT_TRUE(run.opened);
    EXPECT_TRUE(run.closed_by_user);
    EXPECT_EQ(run.notices, 0);
    EXPECT_EQ(current_settings(), before);
    EXPECT_TRUE(worker_is_running());
}

TEST_F(OptionsDialogTest, EveryClickedButtonBecomesItsSettingOnOk) {
    const OptionsRun run = use_options(
        {IDC_SURFACE_TRIANGLE_INVERTED, IDC_SPEED_3, IDC_SIZE_BIG, IDC_REFRESH_MORE, IDC_RED_DOWN}, CLOSE_WITH_OK);
    ASSERT_TRUE(run.opened);
    EXPECT_EQ(current_settings(),
              (SettingsValues{SURFACE_TRIANGLE_INVERTED, IMAGE_SIZE_BIG, REFRESH_MORE, 32, RED_DOWN}));
    EXPECT_EQ(run.notices, 1);
}

std::atomic<int> repaints{0};
std::atomic<ULONGLONG> last_repaint_ms{0};
std::atomic<ULONGLONG> longest_repaint_gap_ms{0};

// The shell's repaint, counted, with the longest gap between two repaints.
void timed_repaint(void* window) {
    repaint_window(window);
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG last = last_repaint_ms.exchange(now);
    if (last != 0 && now - last > longest_repaint_gap_ms) longest_repaint_gap_ms = now - last;
    ++repaints;
}

TEST_F(OptionsDialogTest, RefreshChangeWhileSortingKeepsSortingWithoutNotice) {
    swap_platform_service(&PlatformServices::repaint, timed_repaint);
    command(IDM_START);
    // Going from "Less" to "More" while the counter stands anywhere from 5
    // to 15 of 16 ticks: unless the change restarts it, the counter runs
    // past the new interval of 4 and the next repaint waits until it wraps
    // at 65,536 ticks, half a minute away. Several changes make it near
    // certain that one of them hits such a count.
    for (int change = 0; change < 4; ++change) {
        SCOPED_TRACE(testing::Message() << "change " << change);
        const OptionsRun more = use_options({IDC_REFRESH_MORE}, CLOSE_WITH_OK);
        ASSERT_TRUE(more.opened);
        EXPECT_EQ(sort_settings.refresh_interval, REFRESH_MORE);
        EXPECT_TRUE(worker_is_running());
        EXPECT_EQ(more.notices, 0);
        EXPECT_EQ(window_flags.params_changed, 0);
        const int seen = repaints;
        EXPECT_TRUE(pump_until([&] { return repaints >= seen + 2; }, 10000))
            << "no repaint came after the new interval";

        const OptionsRun less = use_options({IDC_REFRESH_LESS}, CLOSE_WITH_OK);
        ASSERT_TRUE(less.opened);
        EXPECT_EQ(sort_settings.refresh_interval, REFRESH_LESS);
    }
    swap_platform_service(&PlatformServices::repaint, repaint_window);
}

TEST_F(OptionsDialogTest, SpeedChangeWhileSortingStopsTheSortAndAsksForStart) {
    command(IDM_START);
    const OptionsRun run = use_options({IDC_SPEED_3}, CLOSE_WITH_OK);
    ASSERT_TRUE(run.opened);
    EXPECT_EQ(sort_settings.rotation_delay, 32);
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(run.notices, 1);
    EXPECT_EQ(run.notice_text, RESTART_NOTICE_TEXT);
    EXPECT_EQ(window_flags.params_changed, 0) << "reset once the notice is shown";
}

TEST_F(OptionsDialogTest, SpeedChangeWhileRotatingKeepsRotatingWithoutNotice) {
    swap_platform_service(&PlatformServices::repaint, timed_repaint);
    command(IDM_START);
    command(IDM_TOGGLE_ROTATION);
    const OptionsRun run = use_options({IDC_SPEED_5_SLOWEST}, CLOSE_WITH_OK);
    ASSERT_TRUE(run.opened);
    EXPECT_EQ(sort_settings.rotation_delay, 128);
    EXPECT_EQ(window_flags.rotation_on, 1);
    EXPECT_TRUE(worker_is_running());
    EXPECT_EQ(run.notices, 0);

    // The running rotation now pauses 64 ms after each step (it was 4 ms).
    // Only a lower bound is checked: a busy machine makes the gaps longer,
    // never shorter.
    int seen = repaints;
    ASSERT_TRUE(pump_until([&] { return repaints >= seen + 1; }));
    longest_repaint_gap_ms = 0;
    last_repaint_ms = 0;
    seen = repaints;
    ASSERT_TRUE(pump_until([&] { return repaints >= seen + 4; }));
    EXPECT_GE(longest_repaint_gap_ms.load(), 60u) << "the rotation still steps at its old pace";
    swap_platform_service(&PlatformServices::repaint, repaint_window);
}

// A button that differs from the default of its setting, and the code it
// stands for.
struct RestartCase {
    const char* name;
    int button;
    std::int32_t SettingsValues::*setting;
    std::int32_t code;
};

TEST_F(OptionsDialogTest, SurfaceSizeOrDirectionChangeWhileRotatingEndsRotationAndAsksForStart) {
    const RestartCase cases[] = {
        {"surface", IDC_SURFACE_SQUARE, &SettingsValues::surface, SURFACE_SQUARE},
        {"image size", IDC_SIZE_BIG, &SettingsValues::image_size, IMAGE_SIZE_BIG},
        {"red direction", IDC_RED_DOWN, &SettingsValues::red_direction, RED_DOWN},
    };
    for (const RestartCase& change : cases) {
        SCOPED_TRACE(change.name);
        const SettingsValues defaults;
        apply_settings(defaults);
        window_flags = WindowFlags{};
        command(IDM_START);
        command(IDM_TOGGLE_ROTATION);
        ASSERT_TRUE(worker_is_running());
        const OptionsRun run = use_options({change.button}, CLOSE_WITH_OK);
        ASSERT_TRUE(run.opened);
        EXPECT_FALSE(worker_is_running());
        EXPECT_EQ(window_flags.rotation_on, 0);
        EXPECT_EQ(run.notices, 1);
        EXPECT_EQ(run.notice_text, RESTART_NOTICE_TEXT);
        SettingsValues expected = defaults;
        expected.*change.setting = change.code;
        EXPECT_EQ(current_settings(), expected) << "only the clicked setting changes";
    }
}

TEST_F(OptionsDialogTest, CancelEscAndCloseBoxKeepEverySetting) {
    const std::vector<int> every_group = {IDC_SURFACE_TORUS, IDC_SPEED_4, IDC_SIZE_BIG, IDC_REFRESH_MORE, IDC_RED_DOWN};
    const std::pair<const char*, Closing> closings[] = {
        {"Cancel", CLOSE_WITH_CANCEL}, {"Esc", CLOSE_WITH_ESC}, {"close box", CLOSE_WITH_CLOSE_BOX}};
    command(IDM_START);
    const SettingsValues before = current_settings();
    for (const auto& [name, closing] : closings) {
        SCOPED_TRACE(name);
        const OptionsRun run = use_options(every_group, closing);
        ASSERT_TRUE(run.opened);
        EXPECT_TRUE(run.closed_by_user);
        EXPECT_EQ(current_settings(), before);
        EXPECT_EQ(run.notices, 0);
        EXPECT_TRUE(worker_is_running());
    }
}

TEST_F(OptionsDialogTest, EnterOnARadioButtonAppliesTheWholeDialog) {
    // The last click leaves the focus on "Big (512 pixels)".
    const OptionsRun run = use_options({IDC_SURFACE_TORUS, IDC_SIZE_BIG}, CLOSE_WITH_ENTER);
    ASSERT_TRUE(run.opened);
    EXPECT_TRUE(run.closed_by_user);
    EXPECT_EQ(sort_settings.surface, SURFACE_TORUS);
    EXPECT_EQ(sort_settings.image_size, IMAGE_SIZE_BIG);
    EXPECT_EQ(run.notices, 1);
}

TEST_F(OptionsDialogTest, TheNoticeComesOnceAndNotAgainWithoutNewChanges) {
    const OptionsRun changed = use_options({IDC_SIZE_BIG}, CLOSE_WITH_OK);
    EXPECT_EQ(changed.notices, 1);
    const OptionsRun cancelled = use_options({IDC_SIZE_SMALL}, CLOSE_WITH_CANCEL);
    EXPECT_TRUE(cancelled.opened);
    EXPECT_EQ(cancelled.notices, 0);
    const OptionsRun unchanged = use_options({}, CLOSE_WITH_OK);
    EXPECT_TRUE(unchanged.opened);
    EXPECT_EQ(unchanged.notices, 0);
    EXPECT_EQ(sort_settings.image_size, IMAGE_SIZE_BIG);
}

}  // namespace
