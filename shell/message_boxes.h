// The message boxes the program shows, all alike: no owner window, so the
// main window stays usable, and an OK button. Among them the words for an
// image that could not be made, as the engine reports it.
#pragma once

#include "engine/image.h"

inline constexpr const char* BITMAP_FAILURE_CAPTION = "CreateBitmap()...";
inline constexpr const char* NO_BITMAP_TEXT = "CreateDIBSection returned NULL bitmap handle!";
inline constexpr const char* NO_BITS_TEXT = "CreateDIBSection returned NULL pointer to bitmap bits!";

// Shows `text` under `caption` until the user answers.
void show_ownerless_box(const char* text, const char* caption);

// Tells the user why an image could not be made: a box for a bitmap without
// a handle or without pixel memory, nothing for the other outcomes (a header
// that found no memory is not worded).
void tell_image_failure(ImageOutcome outcome);
