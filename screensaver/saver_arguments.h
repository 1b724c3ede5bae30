// What huesift.scr is asked to do, read from the command line Windows gives a
// screensaver: show full screen, draw a preview into a given window, or open
// the settings. Portable: the window handle is kept as a plain number.
#pragma once

#include <cstdint>

enum SaverMode { SAVER_FULL_SCREEN, SAVER_PREVIEW, SAVER_SETTINGS, SAVER_INVALID };

struct SaverCommand {
    SaverMode mode = SAVER_INVALID;
    std::uintptr_t window = 0;  // the preview's parent, or the settings' owner; 0 for none
};

// Reads the arguments after the program's name: "/s", "/p 1234", "/p:1234",
// "/c", "/c:1234" (either '/' or '-', any case); nothing at all means the
// settings. Anything else, "/p" without a non-zero handle, and a number
// above 32 bits, which no window handle is, are invalid.
SaverCommand parse_saver_arguments(const char* arguments);
