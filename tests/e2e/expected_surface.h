// Which pixels a Start in a fresh huesift process colours, worked out by the
// same engine in this process, so a picture read from the screen can be
// checked pixel for pixel: unscaled, unshifted, nothing missing.
#pragma once

#include <vector>

#include "engine/settings.h"

// True for each pixel (row-major, `size` x `size`) that a first Start with
// `surface` and `size` colours; empty when the engine cannot build it.
std::vector<bool> fresh_surface_mask(SurfaceKind surface, int size);
