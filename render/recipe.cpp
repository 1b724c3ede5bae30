#include "render/recipe.h"

#include "render/options.h"

std::string recipe_command(const RenderedRecipe& recipe) {
    const PictureRecipe& picture = recipe.picture;
    return std::string("huesift-render --shape ") + surface_name(picture.surface) + " --size " +
           std::to_string(picture.image_size) + " --red " + red_direction_name(picture.red_direction) + " --seed " +
           std::to_string(picture.seed) + " --iterations " + std::to_string(recipe.iterations);
}

std::vector<RecipeEntry> recipe_entries(const RenderedRecipe& recipe) {
    const PictureRecipe& picture = recipe.picture;
    return {{"Shape", surface_name(picture.surface)},
            {"Size", std::to_string(picture.image_size)},
            {"Red", red_direction_name(picture.red_direction)},
            {"Seed", std::to_string(picture.seed)},
            {"Iterations", std::to_string(recipe.iterations)},
            {"Command", recipe_command(recipe)},
            {"Software", RENDER_VERSION}};
}
