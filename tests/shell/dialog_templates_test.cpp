// The two dialogs as the dialog manager makes them from the program's
// resources, checked for what a user relies on: the texts and captions they
// show, ids that tell every control apart, arrow keys that move within one
// set of radio buttons and Tab that moves between the sets, every radio
// button read by the Options dialog, and every control inside its dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "shell/options_dialog.h"

namespace {

constexpr int NO_ID = 0xFFFF;
constexpr DWORD KIND_MASK = 0x1F;  // BS_TYPEMASK and SS_TYPEMASK alike

struct Control {
    HWND window;
    int id;
    std::string class_name;  // in lower case: "button", "static"
    std::string text;
    DWORD style;
};

INT_PTR CALLBACK inert_dialog_proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A dialog made from its template, not shown, with no procedure of its own,
// and its controls in their order in the template.
class MadeDialog {
public:
    explicit MadeDialog(int template_id)
        : window_(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id), nullptr,
                                     inert_dialog_proc, 0)) {
        for (HWND child = window_ ? GetWindow(window_, GW_CHILD) : nullptr; child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char class_name[32] = "";
            char text[128] = "";
            GetClassNameA(child, class_name, sizeof(class_name));
            GetWindowTextA(child, text, sizeof(text));
            std::string lower = class_name;
            for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            controls_.push_back({child, GetDlgCtrlID(child) & 0xFFFF, lower, text,
                                 static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE))});
        }
    }
    ~MadeDialog() {
        if (window_) DestroyWindow(window_);
    }
    MadeDialog(const MadeDialog&) = delete;
    MadeDialog& operator=(const MadeDialog&) = delete;

    HWND window() const { return window_; }
    const std::vector<Control>& controls() const { return controls_; }
    std::string caption() const {
        char text[128] = "";
        GetWindowTextA(window_, text, sizeof(text));
        return text;
    }

private:
    HWND window_;
    std::vector<Control> controls_;
};

bool is_radio(const Control& control) {
    const DWORD kind = control.style & KIND_MASK;
    return control.class_name == "button" && (kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON);
}

// The texts of the controls in their order, icons left out: what the user
// reads.
std::vector<std::string> texts_of(const MadeDialog& dialog) {
    std::vector<std::string> texts;
    for (const Control& control : dialog.controls())
        if (control.class_name != "static" || (control.style & KIND_MASK) != SS_ICON) texts.push_back(control.text);
    return texts;
}

// Properties every dialog of the program keeps.
void expect_sound_layout(const MadeDialog& dialog) {
    ASSERT_NE(dialog.window(), nullptr);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog.window(), GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), DWORD{WS_CAPTION | WS_SYSMENU}) << "a title bar with a close box";

    // Ids tell the controls apart; texts that only label share NO_ID.
    std::set<int> ids;
    for (const Control& control : dialog.controls())
        if (control.id != NO_ID) {
            EXPECT_TRUE(ids.insert(control.id).second) << "id " << control.id << " twice";
        }

    RECT client;
    GetClientRect(dialog.window(), &client);
    MapWindowPoints(dialog.window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (const Control& control : dialog.controls()) {
        EXPECT_EQ(control.style & (WS_CHILD | WS_VISIBLE), DWORD{WS_CHILD | WS_VISIBLE}) << control.text;
        RECT rect;
        GetWindowRect(control.window, &rect);
        EXPECT_TRUE(rect.left >= client.left && rect.top >= client.top && rect.right <= client.right &&
                    rect.bottom <= client.bottom)
            << "\"" << control.text << "\" reaches outside its dialog";
    }
}

TEST(DialogTemplates, OptionsShowsItsFiveLabelledSetsOfChoicesAndOkAndCancel) {
    const MadeDialog dialog(IDD_OPTIONS);
    expect_sound_layout(dialog);
    EXPECT_EQ(dialog.caption(), "Options...");
    const std::vector<std::string> texts = {"OK",
                                            "Cancel",
                                            "Select surface",
                                            "Square",
                                            "Circle",
                                            "Torus",
                                            "Triangle",
                                            "Triangle inverted",
                                            "Rotation speed",
                                            "5 (slowest)",
                                            "4",
                                            "3",
                                            "2",
                                            "1 (fastest)",
                                            "Image Size",
                                            "Big (512 pixels)",
                                            "Small (256 pixels)",
                                            "Screen refreshes",
                                            "More (slower)",
                                            "Less (faster)",
                                            "Sort direction",
                                            "Red up",
                                            "Red down"};
    EXPECT_EQ(texts_of(dialog), texts);
    // OK comes first, so it has the focus when the dialog opens, and Enter
    // presses it.
    ASSERT_FALSE(dialog.controls().empty());
    EXPECT_EQ(dialog.controls()[0].id, IDOK);
    EXPECT_EQ(dialog.controls()[0].style & KIND_MASK, DWORD{BS_DEFPUSHBUTTON});
    EXPECT_NE(GetDlgItem(dialog.window(), IDCANCEL), nullptr);
}

// A set of radio buttons is one group: WS_GROUP on its first button, which
// Tab stops at, and on no other, so that the arrows move through the whole
// set and no further, and checking one button clears only the others of its
// set. Each set is one of the dialog's tables, so every button the user can
// check is one it reads on OK.
TEST(DialogTemplates, OptionsRadioSetsAreTheDialogsTablesEachOneGroup) {
    const MadeDialog dialog(IDD_OPTIONS);
    ASSERT_NE(dialog.window(), nullptr);
    const std::vector<std::vector<int>> sets = options_button_groups();

    // The group each control belongs to: a group runs from a control with
    // WS_GROUP to the next such control.
    std::vector<int> group_of;
    int group = 0;
    for (const Control& control : dialog.controls()) {
        if (control.style & WS_GROUP) ++group;
        group_of.push_back(group);
    }
    std::set<int> in_tables;
    for (const std::vector<int>& set : sets) {
        SCOPED_TRACE(testing::Message() << "the set of button " << set.front());
        std::vector<std::size_t> places;
        for (int id : set) {
            in_tables.insert(id);
            const auto found = std::find_if(dialog.controls().begin(), dialog.controls().end(),
                                            [&](const Control& control) { return control.id == id; });
            ASSERT_NE(found, dialog.controls().end()) << "button " << id << " is missing";
            EXPECT_TRUE(is_radio(*found)) << found->text;
            places.push_back(static_cast<std::size_t>(found - dialog.controls().begin()));
        }
        std::sort(places.begin(), places.end());
        const Control& first = dialog.controls()[places.front()];
        EXPECT_EQ(first.style & (WS_GROUP | WS_TABSTOP), DWORD{WS_GROUP | WS_TABSTOP}) << first.text;
        for (std::size_t i = 1; i < places.size(); ++i)
            EXPECT_EQ(dialog.controls()[places[i]].style & WS_GROUP, 0u) << dialog.controls()[places[i]].text;
        // No radio button of another set falls into this set's group.
        for (std::size_t i = 0; i < dialog.controls().size(); ++i) {
            const Control& control = dialog.controls()[i];
            if (is_radio(control) && group_of[i] == group_of[places.front()]) {
                EXPECT_NE(std::find(set.begin(), set.end(), control.id), set.end()) << control.text;
            }
        }
    }
    for (const Control& control : dialog.controls())
        if (is_radio(control)) {
            EXPECT_TRUE(in_tables.count(control.id)) << control.text << " is read by no table";
        }
}

TEST(DialogTemplates, HelpShowsTheIconTheVersionAndItsFourLinesAndOk) {
    const MadeDialog dialog(IDD_HELP);
    expect_sound_layout(dialog);
    EXPECT_EQ(dialog.caption(), "Help...");
    const std::vector<std::string> texts = {"Huesift Version 1.00",
                                            "Does a huesift of a special palette of 90 colours.",
                                            "Click 'Start' and wait until sort stops, then toggle on rotation.",
                                            "Palette animation reveals that the colours sorted into a smooth",
                                            "gradient.",
                                            "OK"};
    EXPECT_EQ(texts_of(dialog), texts);
    const HWND icon = GetDlgItem(dialog.window(), IDC_HELP_ICON);
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0) << "the program's icon";
    EXPECT_EQ(dialog.controls().back().id, IDOK);
    EXPECT_EQ(dialog.controls().back().style & KIND_MASK, DWORD{BS_DEFPUSHBUTTON});
}

}  // namespace
