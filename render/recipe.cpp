#include "render/recipe.h"

std::string recipe_command(const Recipe& recipe) {
    return std::string("huesift-render --shape ") + surface_name(recipe.surface) + " --size " +
           std::to_string(recipe.size) + " --red " + red_direction_name(recipe.red_direction) + " --seed " +
           std::to_string(recipe.seed) + " --iterations " + std::to_string(recipe.iterations);
}

std::vector<RecipeEntry> recipe_entries(const Recipe& recipe) {
    return {{"Shape", surface_name(recipe.surface)},
            {"Size", std::to_string(recipe.size)},
            {"Red", red_direction_name(recipe.red_direction)},
            {"Seed", std::to_string(recipe.seed)},
            {"Iterations", std::to_string(recipe.iterations)},
            {"Command", recipe_command(recipe)},
            {"Software", RENDER_VERSION}};
}
