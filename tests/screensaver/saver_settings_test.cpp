// huesift.scr /c (and with no argument): the program's Options dialog over
// the settings saved per user; OK saves, Cancel keeps, and damaged values
// give their defaults one by one.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/settings.h"
#include "resources/resource_ids.h"
#include "screensaver/saver_settings.h"
#include "tools/driving/saver_driving.h"

namespace {

using SavedValues = std::map<std::string, DWORD>;

// The DWORD values under the settings key; the map leaves out anything else.
SavedValues read_saved() {
    SavedValues values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SAVER_SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return values;
    for (const char* name : {REGISTRY_SURFACE, REGISTRY_ROTATION_SPEED, REGISTRY_IMAGE_SIZE, REGISTRY_SCREEN_REFRESHES,
                             REGISTRY_RED_DIRECTION}) {
        DWORD type = 0, value = 0, size = sizeof(value);
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
            type == REG_DWORD) {
            values[name] = value;
        }
    }
    RegCloseKey(key);
    return values;
}

void write_raw(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
}

class SaverSettings : public ::testing::Test {
protected:
    HuesiftProcess saver;
    HWND dialog = nullptr;

    void SetUp() override { delete_saved_settings(); }
    void TearDown() override {
        close_process(saver);
        delete_saved_settings();
    }

    void open_dialog(const std::string& arguments) {
        ASSERT_TRUE(start_saver(arguments, saver));
        ASSERT_TRUE(wait_until([&] { return (dialog = find_dialog_of(saver, "Options...")) != nullptr; }));
    }

    bool checked(int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

    void click(int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

    // Presses a button that closes the dialog; the settings page then ends
    // with code 0.
    void close_with(int id) {
        click(id);
        DWORD exit_code = 99;
        ASSERT_TRUE(wait_for_exit(saver, exit_code));
        EXPECT_EQ(exit_code, 0u);
        close_process(saver);
    }
};

TEST_F(SaverSettings, OkSavesTheChangesForTheNextRun) {
    // Nothing is saved yet: the settings not clicked are saved as their
    // defaults.
    open_dialog("/c");
    click(IDC_SURFACE_SQUARE);
    click(IDC_SIZE_BIG);
    click(IDC_SPEED_3);
    close_with(IDOK);

    const SavedValues expected = {{REGISTRY_SURFACE, SURFACE_SQUARE},
                                  {REGISTRY_ROTATION_SPEED, rotation_delay_for_speed(3)},
                                  {REGISTRY_IMAGE_SIZE, IMAGE_SIZE_BIG},
                                  {REGISTRY_SCREEN_REFRESHES, DEFAULT_REFRESH_INTERVAL},
                                  {REGISTRY_RED_DIRECTION, DEFAULT_RED_DIRECTION}};
    EXPECT_EQ(read_saved(), expected);

    // No argument at all also opens the settings, now showing what was saved.
    open_dialog("");
    EXPECT_TRUE(checked(IDC_SURFACE_SQUARE));
    EXPECT_TRUE(checked(IDC_SIZE_BIG));
    EXPECT_TRUE(checked(IDC_SPEED_3));
    close_with(IDCANCEL);
}

TEST_F(SaverSettings, CancelChangesNothing) {
    open_dialog("/c:0");
    click(IDC_RED_DOWN);
    close_with(IDOK);
    const SavedValues saved = read_saved();
    ASSERT_EQ(saved.at(REGISTRY_RED_DIRECTION), 1u);

    open_dialog("/c");
    click(IDC_SURFACE_TORUS);
    click(IDC_REFRESH_MORE);
    click(IDC_RED_UP);
    close_with(IDCANCEL);
    EXPECT_EQ(read_saved(), saved);
}

// The settings page that asked for the dialog may close while it is open;
// the dialog must not stay behind it, and what it showed is not saved.
TEST_F(SaverSettings, EndsSavingNothingWhenItsOwnerGoesAway) {
    HWND owner = CreateWindowA("STATIC", "settings page", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    // The dialog disables its owner, which asks this thread for an answer.
    auto pumped = [](auto condition) {
        return [condition] {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            return condition();
        };
    };
    ASSERT_TRUE(start_saver("/c:" + std::to_string(reinterpret_cast<std::uintptr_t>(owner)), saver));
    ASSERT_TRUE(wait_until(pumped([&] { return (dialog = find_dialog_of(saver, "Options...")) != nullptr; })));
    click(IDC_SURFACE_SQUARE);
    DestroyWindow(owner);

    EXPECT_TRUE(wait_until(pumped([&] { return !still_running(saver); }))) << "the dialog outlived its owner";
    DWORD exit_code = 99;
    EXPECT_TRUE(wait_for_exit(saver, exit_code, 0));
    EXPECT_EQ(exit_code, 0u);
    EXPECT_TRUE(read_saved().empty());
}

TEST_F(SaverSettings, DamagedValuesGiveTheirDefaultsOneByOne) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, SAVER_SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    const char text[] = "100";
    const auto short_value = static_cast<WORD>(ROTATION_DELAYS[1]);
    const DWORD bad_size = 300, refresh_more = REFRESH_MORE, red_down = RED_DOWN;
    write_raw(key, REGISTRY_SURFACE, REG_SZ, text, sizeof(text));                            // wrong type
    write_raw(key, REGISTRY_ROTATION_SPEED, REG_BINARY, &short_value, sizeof(short_value));  // wrong size
    write_raw(key, REGISTRY_IMAGE_SIZE, REG_DWORD, &bad_size, sizeof(bad_size));             // no such code
    write_raw(key, REGISTRY_SCREEN_REFRESHES, REG_DWORD, &refresh_more, sizeof(refresh_more));
    write_raw(key, REGISTRY_RED_DIRECTION, REG_DWORD, &red_down, sizeof(red_down));
    RegCloseKey(key);

    // OK saves the settings as they were read.
    open_dialog("/c");
    close_with(IDOK);
    const SavedValues expected = {{REGISTRY_SURFACE, DEFAULT_SURFACE},
                                  {REGISTRY_ROTATION_SPEED, DEFAULT_ROTATION_DELAY},
                                  {REGISTRY_IMAGE_SIZE, DEFAULT_IMAGE_SIZE},
                                  {REGISTRY_SCREEN_REFRESHES, REFRESH_MORE},
                                  {REGISTRY_RED_DIRECTION, RED_DOWN}};
    EXPECT_EQ(read_saved(), expected);
}

}  // namespace
