// The process entry of huesift.exe; everything else lives in the shell
// library so that the shell tests can run it without this file.
#include <windows.h>

#include "shell/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
    return run_huesift(instance, show_command);
}
