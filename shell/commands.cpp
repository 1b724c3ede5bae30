#include "shell/commands.h"

#include "engine/drawing.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/picture.h"
#include "engine/platform.h"
#include "engine/worker.h"
#include "shell/message_boxes.h"
#include "shell/painting.h"
#include "shell/window_flags.h"

void on_start(HWND main_window) {
    stop_worker();
    // The window (and with it the drawing context) may have gone while the
    // stop waited; then there is nothing to start in.
    if (!IsWindow(main_window) || !image_buffer.drawing_context) return;
    // The old picture goes black at once, over the old image's area.
    blacken(image_buffer.drawing_context, static_cast<int>(image_geometry.width),
            static_cast<int>(image_geometry.height));
    repaint_image_rect(main_window);

    // Every Start is a new picture, seeded with the calendar time. An image
    // that cannot be made is worded here, before anything else happens.
    const PictureOutcome picture = make_picture(recipe_from_settings(clock_seconds()));
    if (!picture) {
        tell_image_failure(picture.image);
        return;
    }
    // The first picture comes with the worker's first refresh.
    start_picture_sort();
}

void on_toggle_rotation(HWND) {
    stop_worker();
    if (window_flags.rotation_on) {
        window_flags.rotation_on = 0;
        return;
    }
    // Before the first Start, or after one that could not make its image or
    // palette, there is nothing to animate: rotation mode stays off, so the
    // next Toggle after a good Start switches it on.
    if (!has_picture()) return;
    window_flags.rotation_on = 1;
    start_picture_rotation();
}

void on_exit(HWND main_window) { DestroyWindow(main_window); }
