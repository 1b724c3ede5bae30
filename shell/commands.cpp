#include "shell/commands.h"

#include "engine/drawing.h"
#include "engine/image.h"
#include "engine/palette.h"
#include "engine/rotation.h"
#include "engine/run_state.h"
#include "engine/sort_worker.h"
#include "engine/surface.h"
#include "resources/resource_ids.h"
#include "shell/command_table.h"
#include "shell/painting.h"

void on_start(HWND main_window) {
    stop_worker();
    // The window (and with it the drawing context) may have gone while the
    // stop waited; then there is nothing to start in.
    if (!IsWindow(main_window) || !image_buffer.drawing_context) return;
    // The old picture goes black at once, over the old image's area.
    blacken(image_buffer.drawing_context, static_cast<int>(image_geometry.width),
            static_cast<int>(image_geometry.height));
    repaint_image_rect(main_window);

    const std::int32_t size = sort_settings.image_size;
    set_image_geometry(static_cast<std::uint32_t>(size));
    if (!create_image(image_geometry.width, image_geometry.height)) return;
    if (!build_surface()) return;
    // The first picture comes with the worker's first refresh.
    start_worker(choose_sort_entry(size, sort_settings.red_direction));
}

void on_toggle_rotation(HWND) {
    stop_worker();
    if (run_state.rotation_on) {
        run_state.rotation_on = 0;
        return;
    }
    // Before the first Start, or after one that could not make its image or
    // palette, there is nothing to animate: rotation mode stays off, so the
    // next Toggle after a good Start switches it on.
    if (!image_buffer.pixels || !palette) return;
    run_state.rotation_on = 1;
    tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count);
    start_worker(rotation_worker);
}

void on_exit(HWND main_window) { DestroyWindow(main_window); }

namespace {

[[maybe_unused]] const bool start_registered = register_command(IDM_START, on_start);
[[maybe_unused]] const bool toggle_registered = register_command(IDM_TOGGLE_ROTATION, on_toggle_rotation);
[[maybe_unused]] const bool exit_registered = register_command(IDM_EXIT, on_exit);

}  // namespace
