// Writes a picture read from the screen as a binary PPM file, the form
// scripts/screenshots.sh and scripts/screensaver-screenshot.sh turn into PNG.
#pragma once

#include "tools/driving/screen_picture.h"

// Every `shrink`-th pixel of every `shrink`-th row; false when the picture is
// empty or the file cannot be written.
bool write_ppm(const Picture& picture, const char* path, int shrink = 1);
