#include "screensaver/saver_config.h"

#include "resources/resource_ids.h"
#include "screensaver/saver_settings.h"
#include "shell/options_dialog.h"

namespace {

constexpr int EXIT_SETTINGS_FAILED = 1;
constexpr const char* SAVE_FAILED_TEXT = "The screensaver's settings could not be saved.";
constexpr const char* SAVE_FAILED_CAPTION = "Huesift screensaver";

}  // namespace

int run_saver_settings(HINSTANCE instance, HWND owner) {
    load_saver_settings();
    // No worker runs here, so applying the dialog only stores the codes; the
    // window program's restart notice has no place in a settings page.
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, options_dialog_proc, 0);
    if (result != IDOK) return result == IDCANCEL ? 0 : EXIT_SETTINGS_FAILED;
    if (save_saver_settings()) return 0;
    MessageBoxA(owner, SAVE_FAILED_TEXT, SAVE_FAILED_CAPTION, MB_OK | MB_ICONERROR);
    return EXIT_SETTINGS_FAILED;
}
