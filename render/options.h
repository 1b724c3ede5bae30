// The command line of huesift-render: its options, each defined once in a
// table that both the parsing and the usage text walk; their defaults are
// the window program's.
#pragma once

#include <cstdint>
#include <string>

#include "engine/picture_recipe.h"
#include "engine/settings.h"
#include "huesift_version.h"

inline constexpr const char* RENDER_VERSION = "huesift-render " HUESIFT_VERSION;
inline constexpr int MIN_GIF_FRAMES = 2;
inline constexpr int MAX_GIF_FRAMES = 1000;

struct RenderOptions {
    PictureRecipe recipe;  // its seed counts only when seed_given
    bool seed_given = false;
    bool until_settled = true;  // the run's length unless --iterations is given
    std::uint64_t iterations = 0;
    std::string png;
    std::string sort_gif;
    int frames = 0;
    std::string loop_gif;
    std::string curve;
    int speed = DEFAULT_ROTATION_SPEED;  // the Options dialog's rotation speeds, 1 (fastest) to 5
    bool force = false;
    bool quiet = false;
};

enum ParseOutcome { PARSE_RUN, PARSE_HELP, PARSE_VERSION, PARSE_ERROR };

// Fills `options` from the arguments; on PARSE_ERROR `error` is one line
// saying what is wrong, with any text of the user's shown escaped.
ParseOutcome parse_render_options(int argc, const char* const* argv, RenderOptions& options, std::string& error);

const char* render_usage();
