// The surfaces (square, circle, torus, triangle, inverted triangle): their
// masks, drawn into the fresh black image, and the seeded fill of every
// surface pixel with a palette colour.
#pragma once

#include <cstdint>

// Builds the palette, draws the mask for the current surface, seeds the
// random source from the clock and colours every surface pixel. False when
// the palette or the pick counters cannot be allocated.
bool build_surface();

// The triangle's height for an image of side `image_size`.
int triangle_height(int image_size);

// The calendar time in seconds that seeds each Start; replaceable for tests.
using ClockSource = std::uint32_t (*)();
void set_clock_source(ClockSource clock);  // nullptr restores the real clock
