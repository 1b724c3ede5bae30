#include "shell/help_dialog.h"

#include "resources/resource_ids.h"
#include "shell/modal_dialog.h"

INT_PTR CALLBACK help_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    const WORD command = LOWORD(wparam);
    // IDCANCEL also comes from Esc and the close box.
    if (command != IDOK && command != IDCANCEL) return FALSE;
    EndDialog(dialog, command);
    return TRUE;
}

void on_help(HWND main_window) {
    // Only closing matters, not how.
    show_modal_dialog(IDD_HELP, main_window, help_dialog_proc);
}
