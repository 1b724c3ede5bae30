// The current image's size: ImageGeometry, set for each new picture and read
// by the workers, the palette, the paints and the repaint.
#pragma once

#include <cstdint>

#include "engine/settings.h"

struct ImageRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Changed only while no worker runs. Before the first Start it describes a
// 512 x 512 image with an empty rectangle: nothing to show yet.
struct ImageGeometry {
    std::uint32_t width = IMAGE_SIZE_BIG;
    std::uint32_t height = IMAGE_SIZE_BIG;
    std::uint32_t pixel_count = IMAGE_SIZE_BIG * IMAGE_SIZE_BIG;
    std::uint32_t byte_size = IMAGE_SIZE_BIG * IMAGE_SIZE_BIG * 4;
    ImageRect image_rect{};
};

extern ImageGeometry image_geometry;

// Sets the geometry for a square image of side n, as the Start command does.
void set_image_geometry(std::uint32_t n);
