// The Options dialog's wiring, driven as a user drives it: opened from the
// menu command, radio buttons clicked, closed with OK, Cancel, Enter, Esc or
// the close box, and the restart notice answered, all from a second thread.
// Which change stops or restarts what is the settings' own decision, tested
// with them; here OK must carry that decision out.
#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "shell/options_dialog.h"
#include "shell/window_flags.h"
#include "tests/printers.h"
#include "tests/shell/shell_test_support.h"

namespace {

constexpr const char* OPTIONS_CAPTION = "Options...";

// Each set of radio buttons: the setting it edits and the code of each of
// its buttons, in the order of the dialog's template.
struct Choice {
    int button;
    std::int32_t code;
};
struct ButtonSet {
    std::int32_t SettingsValues::*setting;
    std::vector<Choice> choices;
};
const ButtonSet BUTTON_SETS[] = {
    {&SettingsValues::surface,
     {{IDC_SURFACE_SQUARE, SURFACE_SQUARE},
      {IDC_SURFACE_CIRCLE, SURFACE_CIRCLE},
      {IDC_SURFACE_TORUS, SURFACE_TORUS},
      {IDC_SURFACE_TRIANGLE, SURFACE_TRIANGLE},
      {IDC_SURFACE_TRIANGLE_INVERTED, SURFACE_TRIANGLE_INVERTED}}},
    {&SettingsValues::rotation_delay,
     {{IDC_SPEED_5_SLOWEST, rotation_delay_for_speed(5)},
      {IDC_SPEED_4, rotation_delay_for_speed(4)},
      {IDC_SPEED_3, rotation_delay_for_speed(3)},
      {IDC_SPEED_2, rotation_delay_for_speed(2)},
      {IDC_SPEED_1_FASTEST, rotation_delay_for_speed(1)}}},
    {&SettingsValues::image_size, {{IDC_SIZE_BIG, IMAGE_SIZE_BIG}, {IDC_SIZE_SMALL, IMAGE_SIZE_SMALL}}},
    {&SettingsValues::refresh_interval, {{IDC_REFRESH_MORE, REFRESH_MORE}, {IDC_REFRESH_LESS, REFRESH_LESS}}},
    {&SettingsValues::red_direction, {{IDC_RED_UP, RED_UP}, {IDC_RED_DOWN, RED_DOWN}}},
};

// Round r takes button r of each set, counting round a set's end: five
// rounds bring up every button of every set.
constexpr int ROUNDS = 5;
const Choice& choice_of_round(const ButtonSet& set, int round) { return set.choices[round % set.choices.size()]; }

std::vector<int> buttons_of_round(int round) {
    std::vector<int> buttons;
    for (const ButtonSet& set : BUTTON_SETS) buttons.push_back(choice_of_round(set, round).button);
    return buttons;
}

SettingsValues values_of_round(int round) {
    SettingsValues values;
    for (const ButtonSet& set : BUTTON_SETS) values.*set.setting = choice_of_round(set, round).code;
    return values;
}

// What the driver saw of one use of File > Options.
struct OptionsRun {
    bool opened = false;
    bool closed_by_user = false;
    std::vector<int> checked_on_opening;  // in the order of BUTTON_SETS
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
        for (const ButtonSet& set : BUTTON_SETS) {
            for (const Choice& choice : set.choices) {
                if (IsDlgButtonChecked(dialog, choice.button) == BST_CHECKED)
                    run.checked_on_opening.push_back(choice.button);
            }
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

TEST_F(OptionsDialogTest, EachButtonIsCheckedForItsCodeAndOkStoresTheCodeOfTheClickedOne) {
    // Each round opens on the codes of the round before and clicks its own
    // buttons (the notice that follows is answered).
    apply_settings(values_of_round(0));
    for (int round = 1; round <= ROUNDS; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        const OptionsRun run = use_options(buttons_of_round(round), CLOSE_WITH_OK);
        ASSERT_TRUE(run.opened);
        EXPECT_TRUE(run.closed_by_user);
        EXPECT_EQ(run.checked_on_opening, buttons_of_round(round - 1));
        EXPECT_EQ(current_settings(), values_of_round(round));
    }
}

// A change and the rotation mode it is made in. OK hands both to
// settings_change and does what it decides. These changes give each part of
// the decision both ways, and one change with rotation on and off.
struct DecisionCase {
    const char* what;
    bool rotating;
    int button;
};

TEST_F(OptionsDialogTest, OkStopsTheWorkerEndsRotationAndAsksForStartAsTheSettingsDecide) {
    const DecisionCase cases[] = {
        {"surface while rotating", true, IDC_SURFACE_SQUARE},
        {"speed while sorting", false, IDC_SPEED_3},
        {"speed while rotating", true, IDC_SPEED_5_SLOWEST},
    };
    std::set<bool> stops, rotation_ends, notices;
    for (const DecisionCase& change : cases) {
        SCOPED_TRACE(change.what);
        stop_worker();
        apply_settings(SettingsValues{});
        window_flags = WindowFlags{};
        command(IDM_START);
        if (change.rotating) command(IDM_TOGGLE_ROTATION);
        ASSERT_TRUE(worker_is_running());
        ASSERT_EQ(window_flags.rotation_on, change.rotating ? 1 : 0);
        const SettingsValues before = current_settings();

        const OptionsRun run = use_options({change.button}, CLOSE_WITH_OK);
        ASSERT_TRUE(run.opened);
        ASSERT_NE(current_settings(), before);
        const SettingsChange decision = settings_change(before, current_settings(), change.rotating);
        EXPECT_EQ(worker_is_running(), !decision.stop_worker);
        EXPECT_EQ(window_flags.rotation_on, change.rotating && !decision.rotation_off ? 1 : 0);
        EXPECT_EQ(run.notices, decision.needs_start ? 1 : 0);
        if (decision.needs_start) EXPECT_EQ(run.notice_text, RESTART_NOTICE_TEXT);
        EXPECT_EQ(window_flags.params_changed, 0) << "cleared once the notice is shown";
        stops.insert(decision.stop_worker);
        if (change.rotating) rotation_ends.insert(decision.rotation_off);
        notices.insert(decision.needs_start);
    }
    const std::set<bool> both = {false, true};
    EXPECT_EQ(stops, both);
    EXPECT_EQ(rotation_ends, both);
    EXPECT_EQ(notices, both);
}

TEST_F(OptionsDialogTest, ARefreshChangeRestartsTheRefreshCount) {
    // A sort stopped one tick short of its repaint at "Less" leaves the count
    // at 15. Changed to "More", the count must start again: one carried on
    // past 4 would give the next sort's first repaint only when it wraps at
    // 65,536 ticks.
    run_state.refresh_counter.store(REFRESH_LESS - 1);
    const OptionsRun run = use_options({IDC_REFRESH_MORE}, CLOSE_WITH_OK);
    ASSERT_TRUE(run.opened);
    EXPECT_EQ(sort_settings.refresh_interval, REFRESH_MORE);
    EXPECT_EQ(run_state.refresh_counter.load(), 0);
    EXPECT_EQ(run.notices, 0);
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

    // OK without a change leaves a running sort alone.
    command(IDM_START);
    const SettingsValues before = current_settings();
    const OptionsRun unchanged = use_options({}, CLOSE_WITH_OK);
    EXPECT_TRUE(unchanged.opened);
    EXPECT_TRUE(unchanged.closed_by_user);
    EXPECT_EQ(unchanged.notices, 0);
    EXPECT_EQ(current_settings(), before);
    EXPECT_EQ(sort_settings.image_size, IMAGE_SIZE_BIG);
    EXPECT_TRUE(worker_is_running());
}

}  // namespace
