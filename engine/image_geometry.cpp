#include "engine/image_geometry.h"

ImageGeometry image_geometry;

void set_image_geometry(std::uint32_t n) {
    image_geometry.width = n;
    image_geometry.height = n;
    image_geometry.pixel_count = n * n;
    image_geometry.byte_size = n * n * 4;
    image_geometry.image_rect = ImageRect{0, 0, static_cast<std::int32_t>(n), static_cast<std::int32_t>(n)};
}
