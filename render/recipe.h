// What it takes to make a rendered picture again: its recipe and the number
// of sort iterations, as the key-value pairs a PNG carries and as the command
// line that repeats the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/picture_recipe.h"

struct RecipeEntry {
    std::string key;
    std::string value;
};

struct RenderedRecipe {
    PictureRecipe picture;
    std::uint64_t iterations = 0;
};

// Shape, Size, Red, Seed, Iterations, Command and Software, in that order.
std::vector<RecipeEntry> recipe_entries(const RenderedRecipe& recipe);

// The huesift-render command line that makes the same picture.
std::string recipe_command(const RenderedRecipe& recipe);
