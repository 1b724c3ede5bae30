// A picture's recipe: the surface, the image size, the red direction and the
// seed, which together always make the same pixels. It travels as one value
// from a front end to the engine; the settings are only one place it may
// come from.
#pragma once

#include <cstdint>

#include "engine/settings.h"

struct PictureRecipe {
    SurfaceKind surface = DEFAULT_SURFACE;
    std::int32_t image_size = DEFAULT_IMAGE_SIZE;
    std::int32_t red_direction = DEFAULT_RED_DIRECTION;
    std::uint32_t seed = 0;
    bool operator==(const PictureRecipe&) const = default;
};
