// The process entry of huesift.exe; everything else is in the program's own
// parts and the shell library, which the shell tests run without this file.
#include <windows.h>

#include "shell/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    return run_huesift(instance, show_command);
}
