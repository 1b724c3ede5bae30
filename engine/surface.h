// The surfaces (square, circle, torus, triangle, inverted triangle): their
// masks, drawn into the fresh black image, and the seeded fill of every
// surface pixel with a palette colour.
#pragma once

#include <cstdint>

#include "engine/picture_recipe.h"
#include "engine/settings.h"

struct DrawingContext;

// Builds the palette, draws the mask of the recipe's surface and size into
// the fresh image (of that size), seeds the random source with the recipe's
// seed and colours every surface pixel. False when the palette or the pick
// counters cannot be allocated.
bool build_surface(const PictureRecipe& recipe);

// Draws the white mask of `surface` for a `size` x `size` image into the
// context's black bitmap (the square needs none).
void draw_surface_mask(DrawingContext* context, SurfaceKind surface, int size);

// The triangle's height for an image of side `image_size`.
int triangle_height(int image_size);
