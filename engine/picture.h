// A picture: the image that a recipe (surface, size, red direction and a
// seed) makes, and the sort and palette rotation that run on it, with the
// sort's progress and the rule that says when it has settled. Every front end
// makes its pictures here.
#pragma once

#include <cstdint>

#include "engine/image.h"
#include "engine/picture_recipe.h"
#include "engine/settings.h"
#include "engine/settle.h"

// The recipe the current settings give with `seed`.
PictureRecipe recipe_from_settings(std::uint32_t seed);

// What make_picture did: whether the picture was made and, when it was not
// for want of an image, what create_image reported, which the front end may
// tell the user in its own words. Tests as true when the picture was made.
struct PictureOutcome {
    bool made = false;
    ImageOutcome image = IMAGE_MADE;
    explicit operator bool() const { return made; }
};

// Stops any worker and makes the picture: the geometry, a black image in the
// drawing context, a fresh palette, the surface's mask and every surface
// pixel coloured by the picker, the random source seeded with recipe.seed.
// The same recipe always makes the same pixels, and the settings are left
// as they are. Not made when the image or the palette cannot be; then there
// is no picture.
PictureOutcome make_picture(const PictureRecipe& recipe);

// Whether a picture exists, and the recipe that made it.
bool has_picture();
const PictureRecipe& picture_recipe();

// The picture's pixels, row by row, its side long and wide, for a front end
// that draws them itself (nullptr and 0 without a picture). A running worker
// may be writing them.
const std::uint32_t* picture_pixels();
std::uint32_t picture_side();

// Starts the picture's sort on the worker thread, the entry chosen by its
// size and red direction. Does nothing without a picture.
void start_picture_sort();

// Stops the worker, tags every pixel with its palette index and starts the
// rotation worker. False, with nothing started, without a picture.
bool start_picture_rotation();

// Sorts the picture on the calling thread for exactly `iterations`
// iterations, continuing exactly where its sort last stopped.
void sort_picture(std::uint64_t iterations);

// Tags the pixels for rotation, and one rotation step, on the calling thread.
void tag_picture();
void rotate_picture_once();

// The iterations the picture's sort has run, on the worker or the calling
// thread; a running worker adds to it once per group. Any thread may read it.
std::uint64_t picture_iterations();

// Watches a sort for settling by the engine's rule (settle.h): a check each
// time the iterations pass the next multiple of the check interval, and a
// cap on the iterations. Works from any pace of calls.
struct PictureSettle {
    SettleWatch watch;
    std::uint64_t next_check = 0;
    Disorder last;         // the disorder at the latest check
    bool checked = false;  // a check has been made
    bool settled = false;  // the disorder stopped falling
    bool capped = false;   // the iteration cap was reached first
};

// The picture's disorder now (pixels read as a running worker allows).
Disorder measure_picture();

// Makes the check due at `iterations` done, if one is (measuring the current
// pixels); true once the sort has settled or reached the cap.
bool watch_picture_settle(PictureSettle& settle, std::uint64_t iterations);
