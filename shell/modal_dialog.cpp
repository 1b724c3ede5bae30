#include "shell/modal_dialog.h"

HINSTANCE shell_instance = nullptr;

namespace {

bool dialog_open = false;  // user-interface thread only

}  // namespace

INT_PTR show_modal_dialog(int id, HWND owner, DLGPROC procedure) {
    // A second dialog on top of the first would keep the first's caller
    // waiting until both were closed, in the wrong order.
    if (dialog_open) return -1;
    dialog_open = true;
    const INT_PTR result = DialogBoxParamA(shell_instance, MAKEINTRESOURCEA(id), owner, procedure, 0);
    dialog_open = false;
    return result;
}
