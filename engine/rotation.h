// Palette rotation: tagging every pixel with its palette index, one rotation
// step, and the worker that animates the image.
#pragma once

#include <cstdint>

void tag_pixels(std::uint32_t* palette, std::uint32_t* pixels, std::uint32_t count);
void rotate_palette(std::uint32_t* palette, std::uint32_t* pixels, std::uint32_t count);
void rotation_worker();
