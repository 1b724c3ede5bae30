#include "engine/picture.h"

#include <algorithm>

#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/palette.h"
#include "engine/rotation.h"
#include "engine/sort_settings.h"
#include "engine/sort_worker.h"
#include "engine/surface.h"
#include "engine/worker.h"

namespace {

PictureRecipe current_recipe;

SortEntryIndex picture_entry() {
    return choose_sort_entry_index(current_recipe.image_size, current_recipe.red_direction);
}

}  // namespace

PictureRecipe recipe_from_settings(std::uint32_t seed) {
    return {sort_settings.surface, sort_settings.image_size, sort_settings.red_direction, seed};
}

PictureOutcome make_picture(const PictureRecipe& recipe) {
    stop_worker();
    current_recipe = recipe;
    reset_sorted_iterations();
    set_image_geometry(static_cast<std::uint32_t>(recipe.image_size));
    const ImageOutcome image = create_image(image_geometry.width, image_geometry.height);
    if (image != IMAGE_MADE) return {false, image};
    return {build_surface(recipe), IMAGE_MADE};
}

// A failed build leaves no palette; a closed drawing context no image.
bool has_picture() { return image_buffer.pixels != nullptr && palette != nullptr; }

const PictureRecipe& picture_recipe() { return current_recipe; }

const std::uint32_t* picture_pixels() { return has_picture() ? image_buffer.pixels : nullptr; }

std::uint32_t picture_side() { return has_picture() ? image_geometry.width : 0; }

void start_picture_sort() {
    if (!has_picture()) return;
    start_worker(choose_sort_entry(current_recipe.image_size, current_recipe.red_direction));
}

bool start_picture_rotation() {
    stop_worker();
    if (!has_picture()) return false;
    tag_picture();
    start_worker(rotation_worker);
    return true;
}

void sort_picture(std::uint64_t iterations) {
    if (has_picture()) run_sort_iterations(picture_entry(), iterations);
}

void tag_picture() { tag_pixels(palette, image_buffer.pixels, image_geometry.pixel_count); }

void rotate_picture_once() { rotate_palette(palette, image_buffer.pixels, image_geometry.pixel_count); }

std::uint64_t picture_iterations() { return sorted_iterations(); }

Disorder measure_picture() {
    return measure_disorder(image_buffer.pixels, image_geometry.width, image_geometry.height,
                            current_recipe.red_direction);
}

bool watch_picture_settle(PictureSettle& settle, std::uint64_t iterations) {
    if (settle.settled || settle.capped) return true;
    if (iterations >= settle.next_check) {
        // One measure however many checks fell due since the last call: the
        // same pixels measured twice would count as a check without progress.
        settle.last = measure_picture();
        settle.checked = true;
        settle.next_check = std::max(settle.next_check, iterations) + settle_check_interval(image_geometry.pixel_count);
        if (settle_check(settle.watch, settle.last)) {
            settle.settled = true;
            return true;
        }
    }
    if (iterations >= settle_iteration_cap(image_geometry.pixel_count)) settle.capped = true;
    return settle.capped;
}
