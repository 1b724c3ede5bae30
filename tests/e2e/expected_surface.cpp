#include "tests/e2e/expected_surface.h"

#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/picture.h"

std::vector<bool> fresh_surface_mask(SurfaceKind surface, int size) {
    std::vector<bool> mask;
    // A drawing context of its own, as the program's first Start has.
    if (!open_drawing_context(nullptr)) return mask;
    if (make_picture({surface, size, RED_UP, 0})) {
        mask.resize(image_geometry.pixel_count);
        for (std::uint32_t i = 0; i < image_geometry.pixel_count; ++i) mask[i] = image_buffer.pixels[i] != 0;
    }
    close_drawing_context();
    return mask;
}
