// The final picture as a PNG: 8-bit RGB, with the recipe in tEXt chunks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "render/recipe.h"

// Writes the colour bits of `pixels` (width x height words, top-down rows)
// and one tEXt chunk per entry. False, with `error` set, when libpng fails.
bool write_png(std::FILE* stream, const std::uint32_t* pixels, std::uint32_t width, std::uint32_t height,
               const std::vector<RecipeEntry>& text, std::string& error);
