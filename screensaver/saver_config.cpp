#include "screensaver/saver_config.h"

#include "resources/resource_ids.h"
#include "screensaver/saver_settings.h"
#include "screensaver/saver_window.h"
#include "shell/options_dialog.h"

namespace {

constexpr int EXIT_SETTINGS_FAILED = 1;
constexpr const char* SAVE_FAILED_TEXT = "The screensaver's settings could not be saved.";
constexpr const char* SAVE_FAILED_CAPTION = "Huesift screensaver";
// The dialog's own timer, apart from anything the Options dialog sets.
constexpr UINT_PTR OWNER_TIMER = 0x4853;
constexpr UINT OWNER_CHECK_MS = 100;
// The dialog's result when it ended with its owner; neither OK nor Cancel.
constexpr INT_PTR ENDED_WITH_OWNER = 1000;

// The Options dialog, which also ends (saving nothing) when the settings
// page that owns it goes away: its window destroyed or its process ended.
INT_PTR CALLBACK settings_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER && wparam == OWNER_TIMER) {
        if (!host_still_there()) EndDialog(dialog, ENDED_WITH_OWNER);
        return TRUE;
    }
    const INT_PTR handled = options_dialog_proc(dialog, message, wparam, lparam);
    if (message == WM_INITDIALOG && GetWindow(dialog, GW_OWNER)) SetTimer(dialog, OWNER_TIMER, OWNER_CHECK_MS, nullptr);
    return handled;
}

}  // namespace

int run_saver_settings(HINSTANCE instance, HWND owner) {
    load_saver_settings();
    // No worker runs here, so applying the dialog only stores the codes; the
    // window program's restart notice has no place in a settings page.
    if (owner) watch_host(owner);
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, settings_dialog_proc, 0);
    stop_watching_host();
    if (result != IDOK) return result == IDCANCEL || result == ENDED_WITH_OWNER ? 0 : EXIT_SETTINGS_FAILED;
    if (save_saver_settings()) return 0;
    MessageBoxA(owner, SAVE_FAILED_TEXT, SAVE_FAILED_CAPTION, MB_OK | MB_ICONERROR);
    return EXIT_SETTINGS_FAILED;
}
