// The two dialog templates as compiled into the program: every control's id,
// class, text, kind, group and tab-stop flags and position, in order.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "tests/shell/dialog_template.h"

namespace {

constexpr WORD NO_ID = 0xFFFF;
constexpr DWORD CHILD_VISIBLE = WS_CHILD | WS_VISIBLE;
constexpr DWORD KIND_MASK = 0x1F;  // BS_TYPEMASK and SS_TYPEMASK alike

struct ExpectedControl {
    WORD id;
    const char* class_name;
    const char* text;
    DWORD kind;   // button or static type
    DWORD flags;  // WS_GROUP, WS_TABSTOP, SS_NOPREFIX as given
    short x, y, width, height;
};

void expect_controls(const DialogTemplate& dialog, const std::vector<ExpectedControl>& expected) {
    ASSERT_EQ(dialog.controls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const DialogControl& control = dialog.controls[i];
        const ExpectedControl& want = expected[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " \"" << want.text << "\"");
        EXPECT_EQ(control.id, want.id);
        EXPECT_EQ(control.class_name, want.class_name);
        EXPECT_EQ(control.text, want.text);
        EXPECT_EQ(control.style & CHILD_VISIBLE, CHILD_VISIBLE);
        EXPECT_EQ(control.style & KIND_MASK, want.kind);
        EXPECT_EQ(control.style & (WS_GROUP | WS_TABSTOP | SS_NOPREFIX), want.flags);
        EXPECT_EQ(control.x, want.x);
        EXPECT_EQ(control.y, want.y);
        EXPECT_EQ(control.width, want.width);
        EXPECT_EQ(control.height, want.height);
    }
}

TEST(DialogTemplates, OptionsHasItsFiveGroupsOfRadioButtonsAndOkAndCancel) {
    DialogTemplate dialog;
    ASSERT_TRUE(load_dialog_template(IDD_OPTIONS, dialog));
    EXPECT_EQ(dialog.caption, "Options...");
    EXPECT_EQ(dialog.font_points, 8);
    EXPECT_EQ(dialog.font_name, "MS Sans Serif");
    EXPECT_EQ(dialog.style & ~DS_SETFONT, DWORD{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME});
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.width, 207);
    EXPECT_EQ(dialog.height, 237);

    const DWORD first_radio = WS_GROUP | WS_TABSTOP;
    expect_controls(
        dialog,
        {
            {IDOK, "button", "OK", BS_DEFPUSHBUTTON, WS_TABSTOP, 14, 216, 50, 14},
            {IDCANCEL, "button", "Cancel", BS_PUSHBUTTON, WS_TABSTOP, 143, 216, 50, 14},
            {NO_ID, "button", "Select surface", BS_GROUPBOX, 0, 14, 14, 87, 98},
            {IDC_SURFACE_SQUARE, "button", "Square", BS_AUTORADIOBUTTON, first_radio, 20, 30, 70, 13},
            {IDC_SURFACE_CIRCLE, "button", "Circle", BS_AUTORADIOBUTTON, 0, 20, 45, 70, 13},
            {IDC_SURFACE_TORUS, "button", "Torus", BS_AUTORADIOBUTTON, 0, 20, 60, 70, 13},
            {IDC_SURFACE_TRIANGLE, "button", "Triangle", BS_AUTORADIOBUTTON, 0, 20, 75, 70, 13},
            {IDC_SURFACE_TRIANGLE_INVERTED, "button", "Triangle inverted", BS_AUTORADIOBUTTON, 0, 20, 90, 70, 13},
            {NO_ID, "button", "Rotation speed", BS_GROUPBOX, 0, 106, 14, 87, 98},
            {IDC_SPEED_5_SLOWEST, "button", "5 (slowest)", BS_AUTORADIOBUTTON, first_radio, 112, 30, 79, 13},
            {IDC_SPEED_4, "button", "4", BS_AUTORADIOBUTTON, 0, 112, 45, 70, 13},
            {IDC_SPEED_3, "button", "3", BS_AUTORADIOBUTTON, 0, 112, 60, 70, 13},
            {IDC_SPEED_2, "button", "2", BS_AUTORADIOBUTTON, 0, 112, 75, 70, 13},
            {IDC_SPEED_1_FASTEST, "button", "1 (fastest)", BS_AUTORADIOBUTTON, 0, 112, 90, 70, 13},
            {NO_ID, "button", "Image Size", BS_GROUPBOX, 0, 14, 118, 87, 55},
            {IDC_SIZE_BIG, "button", "Big (512 pixels)", BS_AUTORADIOBUTTON, first_radio, 20, 133, 70, 13},
            {IDC_SIZE_SMALL, "button", "Small (256 pixels)", BS_AUTORADIOBUTTON, 0, 20, 148, 70, 13},
            {NO_ID, "button", "Screen refreshes", BS_GROUPBOX, 0, 106, 118, 87, 55},
            {IDC_REFRESH_MORE, "button", "More (slower)", BS_AUTORADIOBUTTON, first_radio, 112, 133, 70, 13},
            {IDC_REFRESH_LESS, "button", "Less (faster)", BS_AUTORADIOBUTTON, 0, 112, 148, 70, 13},
            {NO_ID, "button", "Sort direction", BS_GROUPBOX, 0, 14, 177, 179, 30},
            {IDC_RED_UP, "button", "Red up", BS_AUTORADIOBUTTON, first_radio, 20, 191, 70, 13},
            {IDC_RED_DOWN, "button", "Red down", BS_AUTORADIOBUTTON, 0, 112, 190, 70, 13},
        });
}

TEST(DialogTemplates, HelpHasItsIconFiveLinesAndOk) {
    DialogTemplate dialog;
    ASSERT_TRUE(load_dialog_template(IDD_HELP, dialog));
    EXPECT_EQ(dialog.caption, "Help...");
    EXPECT_EQ(dialog.font_points, 8);
    EXPECT_EQ(dialog.font_name, "System");
    EXPECT_EQ(dialog.style & ~DS_SETFONT, DWORD{WS_CAPTION | WS_SYSMENU | DS_MODALFRAME});
    EXPECT_EQ(dialog.x, 22);
    EXPECT_EQ(dialog.y, 17);
    EXPECT_EQ(dialog.width, 230);
    EXPECT_EQ(dialog.height, 75);

    expect_controls(
        dialog, {
                    {IDC_HELP_ICON, "static", "#107", SS_ICON, 0, 11, 9, 20, 20},
                    {NO_ID, "static", "Huesift Version 1.00", SS_LEFT, SS_NOPREFIX, 49, 3, 119, 8},
                    {NO_ID, "static", "Does a huesift of a special palette of 90 colours.", SS_LEFT, 0, 11, 27, 211, 8},
                    {NO_ID, "static", "Click 'Start' and wait until sort stops, then toggle on rotation.", SS_LEFT, 0,
                     11, 37, 211, 8},
                    {NO_ID, "static", "Palette animation reveals that the colours sorted into a smooth", SS_LEFT, 0, 12,
                     47, 211, 8},
                    {NO_ID, "static", "gradient.", SS_LEFT, SS_NOPREFIX, 12, 57, 174, 8},
                    {IDOK, "button", "OK", BS_DEFPUSHBUTTON, WS_GROUP | WS_TABSTOP, 196, 60, 30, 11},
                });
}

}  // namespace
