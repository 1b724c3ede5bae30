// How the tests show the engine's value records when a comparison fails: by
// their names and codes instead of GoogleTest's raw bytes.
#pragma once

#include <ostream>

#include "engine/picture_recipe.h"
#include "engine/settings.h"

inline void PrintTo(const SettingsValues& s, std::ostream* out) {
    *out << "{surface " << s.surface << ", size " << s.image_size << ", refresh " << s.refresh_interval << ", delay "
         << s.rotation_delay << ", red " << s.red_direction << "}";
}

inline void PrintTo(const PictureRecipe& r, std::ostream* out) {
    *out << "{surface " << r.surface << ", size " << r.image_size << ", red " << r.red_direction << ", seed " << r.seed
         << "}";
}
