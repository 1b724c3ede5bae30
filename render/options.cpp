#include "render/options.h"

#include <string_view>

#include "render/option_table.h"
#include "render/shown_text.h"

namespace {

// What parsing has gathered beyond the options themselves.
struct Parse {
    RenderOptions& options;
    bool iterations_given = false;
    bool settle_given = false;
    ParseOutcome early_end = PARSE_RUN;  // --help and --version end parsing at once
    bool ends_early() const { return early_end != PARSE_RUN; }
};

template <typename Number>
bool number_between(std::string_view text, std::uint64_t least, std::uint64_t most, Number& field) {
    std::uint64_t number = 0;
    if (!parse_setting_number(text, most, number) || number < least) return false;
    field = static_cast<Number>(number);
    return true;
}

bool file_name(std::string_view text, std::string& field) {
    field = text;
    return !text.empty();
}

// The help lines below spell out these limits.
static_assert(MIN_GIF_FRAMES == 2 && MAX_GIF_FRAMES == 1000 && ROTATION_SPEED_COUNT == 5 &&
              DEFAULT_ROTATION_SPEED == 1);

const OptionRow<Parse> OPTIONS[] = {
    {"shape", nullptr, SURFACE_NAMES, DEFAULT_SURFACE, "shape of the image",
     [](std::string_view v, Parse& p) { return surface_from_name(v, p.options.recipe.surface); }},
    {"size", nullptr, IMAGE_SIZE_NAMES, DEFAULT_IMAGE_SIZE, "image side in pixels",
     [](std::string_view v, Parse& p) { return image_size_from_name(v, p.options.recipe.image_size); }},
    {"red", nullptr, RED_DIRECTION_NAMES, DEFAULT_RED_DIRECTION, "direction of the red sort",
     [](std::string_view v, Parse& p) { return red_direction_from_name(v, p.options.recipe.red_direction); }},
    {"seed", "N", NO_CHOICES, 0, "0 to 4294967295; without it the clock's seconds",
     [](std::string_view v, Parse& p) {
         p.options.seed_given = true;
         return number_between(v, 0, UINT32_MAX, p.options.recipe.seed);
     }},
    {"iterations", "N", NO_CHOICES, 0, "sort exactly N iterations, or",
     [](std::string_view v, Parse& p) {
         p.iterations_given = true;
         return number_between(v, 0, MAX_RECIPE_ITERATIONS, p.options.iterations);
     }},
    {"until-settled", nullptr, NO_CHOICES, 0, "sort until the disorder stops falling (default)",
     [](std::string_view, Parse& p) { return p.settle_given = true; }},
    {"png", "FILE", NO_CHOICES, 0, "the final picture, with its recipe in the file",
     [](std::string_view v, Parse& p) { return file_name(v, p.options.png); }},
    {"sort-gif", "FILE", NO_CHOICES, 0, "the sort, noise to end, in the frames --frames asks for",
     [](std::string_view v, Parse& p) { return file_name(v, p.options.sort_gif); }},
    {"frames", "N", NO_CHOICES, 0, "frames of the sort GIF, 2 to 1000",
     [](std::string_view v, Parse& p) { return number_between(v, MIN_GIF_FRAMES, MAX_GIF_FRAMES, p.options.frames); }},
    {"loop-gif", "FILE", NO_CHOICES, 0, "the final picture's 90-step palette rotation, looping",
     [](std::string_view v, Parse& p) { return file_name(v, p.options.loop_gif); }},
    {"curve", "FILE.csv", NO_CHOICES, 0, "disorder per channel against iterations",
     [](std::string_view v, Parse& p) { return file_name(v, p.options.curve); }},
    {"speed", "1..5", NO_CHOICES, 0, "rotation speed of the loop GIF (default 1, fastest)",
     [](std::string_view v, Parse& p) { return number_between(v, 1, ROTATION_SPEED_COUNT, p.options.speed); }},
    {"force", nullptr, NO_CHOICES, 0,
     "replace existing regular files (a link is replaced, not followed); folders, FIFOs and devices are refused",
     [](std::string_view, Parse& p) { return p.options.force = true; }},
    {"quiet", nullptr, NO_CHOICES, 0, "no progress bar and no notes on standard error",
     [](std::string_view, Parse& p) { return p.options.quiet = true; }},
    {"help", nullptr, NO_CHOICES, 0, "this text, on standard output",
     [](std::string_view, Parse& p) {
         p.early_end = PARSE_HELP;
         return true;
     }},
    {"version", nullptr, NO_CHOICES, 0, "the program's name and version",
     [](std::string_view, Parse& p) {
         p.early_end = PARSE_VERSION;
         return true;
     }},
};

std::string make_usage() {
    std::string usage =
        "Usage: huesift-render [options]\n"
        "Sorts a Huesift image without a window and saves what it made.\n";
    for (const OptionRow<Parse>& row : OPTIONS) usage += usage_line(row, "--");
    return usage;
}

// Rules that join several options.
bool check_combination(const Parse& parse, std::string& error) {
    const RenderOptions& options = parse.options;
    if (parse.iterations_given && parse.settle_given) {
        error = "--iterations and --until-settled exclude each other";
    } else if (options.sort_gif.empty() != (options.frames == 0)) {
        error = "--sort-gif and --frames go together";
    } else {
        const std::string* targets[] = {&options.png, &options.sort_gif, &options.loop_gif, &options.curve};
        for (int i = 0; i < 4; ++i)
            for (int j = i + 1; j < 4; ++j)
                if (!targets[i]->empty() && *targets[i] == *targets[j])
                    error = "two outputs name " + shown_text(*targets[i]);
    }
    return error.empty();
}

}  // namespace

ParseOutcome parse_render_options(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
    Parse parse{options};
    switch (take_arguments<Parse>(argc, argv, OPTIONS, "--", false, parse, error)) {
        case ARGUMENTS_REFUSED:
            return PARSE_ERROR;
        case ARGUMENTS_ENDED_EARLY:
            return parse.early_end;
        case ARGUMENTS_TAKEN:
            break;
    }
    options.until_settled = !parse.iterations_given || parse.settle_given;
    if (!check_combination(parse, error)) return PARSE_ERROR;
    return PARSE_RUN;
}

const char* render_usage() {
    static const std::string usage = make_usage();
    return usage.c_str();
}
