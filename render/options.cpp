#include "render/options.h"

#include <charconv>
#include <string_view>

namespace {

struct NamedCode {
    const char* name;
    std::int32_t code;
};
constexpr NamedCode SURFACES[] = {{"square", SURFACE_SQUARE},
                                  {"circle", SURFACE_CIRCLE},
                                  {"torus", SURFACE_TORUS},
                                  {"triangle", SURFACE_TRIANGLE},
                                  {"inverted-triangle", SURFACE_TRIANGLE_INVERTED}};
constexpr NamedCode RED_DIRECTIONS[] = {{"up", RED_UP}, {"down", RED_DOWN}};
constexpr std::uint64_t MAX_ITERATIONS = 1'000'000'000'000ull;

constexpr const char* USAGE =
    "usage: huesift-render [options]\n"
    "Sorts a Huesift image without a window and saves what it made.\n"
    "  --shape square|circle|torus|triangle|inverted-triangle   (default circle)\n"
    "  --size 256|512              image side in pixels (default 256)\n"
    "  --red up|down               direction of the red sort (default up)\n"
    "  --seed N                    0 to 4294967295; without it the clock's seconds\n"
    "  --iterations N              sort exactly N iterations, or\n"
    "  --until-settled             sort until the disorder stops falling (default)\n"
    "  --png FILE                  the final picture, with its recipe in the file\n"
    "  --sort-gif FILE --frames N  N frames (2 to 1000) of the sort, noise to end\n"
    "  --loop-gif FILE             the final picture's 90-step palette rotation, looping\n"
    "  --curve FILE.csv            disorder per channel against iterations\n"
    "  --speed 1..5                rotation speed of the loop GIF (default 1, fastest)\n"
    "  --force                     overwrite existing files\n"
    "  --quiet                     no progress bar and no notes on standard error\n"
    "  --help, --version\n";

bool parse_unsigned(std::string_view text, std::uint64_t max, std::uint64_t& value) {
    if (text.empty() || text.size() > 20) return false;
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    return fault == std::errc() && end == text.data() + text.size() && value <= max;
}

bool find_code(const NamedCode* table, std::size_t count, std::string_view name, std::int32_t& code) {
    for (std::size_t i = 0; i < count; ++i)
        if (name == table[i].name) {
            code = table[i].code;
            return true;
        }
    return false;
}

// Takes one option's value into `options`; false (with `error` set) when
// the value is not one the option accepts.
bool take_value(std::string_view option, std::string_view value, RenderOptions& options, std::string& error) {
    std::uint64_t number = 0;
    bool ok = true;
    if (option == "--shape") {
        ok = find_code(SURFACES, std::size(SURFACES), value, options.surface);
    } else if (option == "--size") {
        ok = (value == "256" || value == "512") && parse_unsigned(value, 512, number);
        options.size = static_cast<std::int32_t>(number);
    } else if (option == "--red") {
        ok = find_code(RED_DIRECTIONS, std::size(RED_DIRECTIONS), value, options.red_direction);
    } else if (option == "--seed") {
        ok = parse_unsigned(value, UINT32_MAX, number);
        options.seed = static_cast<std::uint32_t>(number);
        options.seed_given = true;
    } else if (option == "--iterations") {
        ok = parse_unsigned(value, MAX_ITERATIONS, number);
        options.iterations = number;
    } else if (option == "--frames") {
        ok = parse_unsigned(value, MAX_GIF_FRAMES, number) && number >= 2;
        options.frames = static_cast<int>(number);
    } else if (option == "--speed") {
        ok = parse_unsigned(value, SPEED_COUNT, number) && number >= 1;
        options.speed = static_cast<int>(number);
    } else if (option == "--png" || option == "--sort-gif" || option == "--loop-gif" || option == "--curve") {
        std::string& target = option == "--png"        ? options.png
                              : option == "--sort-gif" ? options.sort_gif
                              : option == "--loop-gif" ? options.loop_gif
                                                       : options.curve;
        ok = !value.empty();
        target = value;
    }
    if (!ok) error = "bad value for " + std::string(option) + ": '" + std::string(value) + "'";
    return ok;
}

bool takes_value(std::string_view option) {
    constexpr std::string_view WITH_VALUE[] = {"--shape",      "--size",  "--red",      "--seed",
                                               "--iterations", "--png",   "--sort-gif", "--frames",
                                               "--loop-gif",   "--curve", "--speed"};
    for (std::string_view known : WITH_VALUE)
        if (option == known) return true;
    return false;
}

// Rules that join several options.
bool check_combination(const RenderOptions& options, bool iterations_given, std::string& error) {
    if (iterations_given && options.until_settled) {
        error = "--iterations and --until-settled exclude each other";
    } else if (options.sort_gif.empty() != (options.frames == 0)) {
        error = "--sort-gif and --frames go together";
    } else {
        const std::string* targets[] = {&options.png, &options.sort_gif, &options.loop_gif, &options.curve};
        for (int i = 0; i < 4; ++i)
            for (int j = i + 1; j < 4; ++j)
                if (!targets[i]->empty() && *targets[i] == *targets[j]) error = "two outputs name " + *targets[i];
    }
    return error.empty();
}

}  // namespace

ParseOutcome parse_render_options(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
    bool iterations_given = false;
    bool settle_given = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        std::string_view option = argument;
        std::string_view value;
        bool inline_value = false;
        if (const auto equals = argument.find('='); argument.starts_with("--") && equals != std::string_view::npos) {
            option = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inline_value = true;
        }
        if (option == "--help" && !inline_value) return PARSE_HELP;
        if (option == "--version" && !inline_value) return PARSE_VERSION;
        if (!inline_value && (option == "--until-settled" || option == "--force" || option == "--quiet")) {
            settle_given |= option == "--until-settled";
            options.force |= option == "--force";
            options.quiet |= option == "--quiet";
            continue;
        }
        if (!takes_value(option)) {
            error = "unknown option '" + std::string(argument) + "'";
            return PARSE_ERROR;
        }
        if (!inline_value) {
            if (i + 1 >= argc) {
                error = std::string(option) + " needs a value";
                return PARSE_ERROR;
            }
            value = argv[++i];
        }
        if (!take_value(option, value, options, error)) return PARSE_ERROR;
        iterations_given |= option == "--iterations";
    }
    options.until_settled = !iterations_given || settle_given;
    if (!check_combination(options, iterations_given, error)) return PARSE_ERROR;
    return PARSE_RUN;
}

const char* render_usage() { return USAGE; }
