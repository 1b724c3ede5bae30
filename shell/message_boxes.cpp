#include "shell/message_boxes.h"

#include <windows.h>

void show_ownerless_box(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); }

void tell_image_failure(ImageOutcome outcome) {
    switch (outcome) {
        case IMAGE_NO_BITMAP:
            show_ownerless_box(NO_BITMAP_TEXT, BITMAP_FAILURE_CAPTION);
            break;
        case IMAGE_NO_BITS:
            show_ownerless_box(NO_BITS_TEXT, BITMAP_FAILURE_CAPTION);
            break;
        default:
            break;
    }
}
