// What it takes to make a picture again: the settings, the seed and the
// number of sort iterations, as the key-value pairs a PNG carries and as the
// command line that repeats the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/options.h"

struct RecipeEntry {
    std::string key;
    std::string value;
};

struct Recipe {
    SurfaceKind surface = SURFACE_CIRCLE;
    std::int32_t size = IMAGE_SIZE_SMALL;
    std::int32_t red_direction = RED_UP;
    std::uint32_t seed = 0;
    std::uint64_t iterations = 0;
};

// Shape, Size, Red, Seed, Iterations, Command and Software, in that order.
std::vector<RecipeEntry> recipe_entries(const Recipe& recipe);

// The huesift-render command line that makes the same picture.
std::string recipe_command(const Recipe& recipe);
