#include "xscreensaver/hack_options.h"

#include "render/option_table.h"

namespace {

// What parsing has gathered beyond the options themselves.
struct Parse {
    HackOptions& options;
    HackParse early_end = HACK_RUN;  // -help and -version end parsing at once
    bool ends_early() const { return early_end != HACK_RUN; }
};

// A row without help is a switch every hack takes that has nothing to do
// here: accepted, and listed together at the end of the usage.
bool ignore(std::string_view, Parse&) { return true; }

bool speed(std::string_view text, Parse& parse) {
    std::uint64_t number = 0;
    if (!parse_setting_number(text, ROTATION_SPEED_COUNT, number) || !valid_rotation_speed(static_cast<int>(number)))
        return false;
    parse.options.settings.rotation_delay = rotation_delay_for_speed(static_cast<int>(number));
    return true;
}

// The help lines below spell out these limits.
static_assert(ROTATION_SPEED_COUNT == 5 && DEFAULT_ROTATION_SPEED == 1);

const OptionRow<Parse> OPTIONS[] = {
    {"shape", nullptr, SURFACE_NAMES, DEFAULT_SURFACE, "shape of the first picture; the next ones follow in turn",
     [](std::string_view v, Parse& p) { return surface_from_name(v, p.options.settings.surface); }},
    {"size", nullptr, IMAGE_SIZE_NAMES, DEFAULT_IMAGE_SIZE, "image side in pixels",
     [](std::string_view v, Parse& p) { return image_size_from_name(v, p.options.settings.image_size); }},
    {"red", nullptr, RED_DIRECTION_NAMES, DEFAULT_RED_DIRECTION, "direction of the red sort",
     [](std::string_view v, Parse& p) { return red_direction_from_name(v, p.options.settings.red_direction); }},
    {"speed", "1..5", NO_CHOICES, 0, "rotation speed (default 1, fastest)", speed},
    {"root", nullptr, NO_CHOICES, 0, "draw on the root window, or in $XSCREENSAVER_WINDOW when it is set",
     [](std::string_view, Parse& p) {
         p.options.target = TARGET_ROOT;
         return true;
     }},
    {"window", nullptr, NO_CHOICES, 0, "draw in a window of its own (without $XSCREENSAVER_WINDOW the default)",
     [](std::string_view, Parse& p) {
         p.options.target = TARGET_OWN_WINDOW;
         return true;
     }},
    {"window-id", "ID", NO_CHOICES, 0, "draw in the window ID (0x and hex digits, or decimal)",
     [](std::string_view v, Parse& p) {
         p.options.target = TARGET_WINDOW_ID;
         return parse_window_id(v, p.options.window_id);
     }},
    {"display", "HOST:N", NO_CHOICES, 0, "the X display (default $DISPLAY)",
     [](std::string_view v, Parse& p) {
         p.options.display = v;
         return !v.empty();
     }},
    {"help", nullptr, NO_CHOICES, 0, "this text, on standard output",
     [](std::string_view, Parse& p) {
         p.early_end = HACK_HELP;
         return true;
     }},
    {"version", nullptr, NO_CHOICES, 0, "the program's name and version",
     [](std::string_view, Parse& p) {
         p.early_end = HACK_VERSION_ASKED;
         return true;
     }},
    {"fps", nullptr, NO_CHOICES, 0, nullptr, ignore},
    {"no-fps", nullptr, NO_CHOICES, 0, nullptr, ignore},
    {"install", nullptr, NO_CHOICES, 0, nullptr, ignore},
    {"noinstall", nullptr, NO_CHOICES, 0, nullptr, ignore},
    {"mono", nullptr, NO_CHOICES, 0, nullptr, ignore},
    {"visual", "VISUAL", NO_CHOICES, 0, nullptr, ignore},
};

std::string make_usage() {
    std::string usage =
        "Usage: huesift [options]\n"
        "Huesift's show for XScreenSaver: colours sort themselves until they settle, the palette\n"
        "rotates, and every five minutes a new picture comes with the next shape.\n";
    std::string ignored;
    for (const OptionRow<Parse>& row : OPTIONS) {
        if (row.help)
            usage += usage_line(row, "-");
        else
            ignored += " " + option_with_value(row, "-");
    }
    usage += "Taken and ignored, as every hack takes them:" + ignored + "\n";
    usage += "Options may also start with two dashes.\n";
    return usage;
}

}  // namespace

HackParse parse_hack_options(int argc, const char* const* argv, HackOptions& options, std::string& error) {
    Parse parse{options};
    switch (take_arguments<Parse>(argc, argv, OPTIONS, "-", true, parse, error)) {
        case ARGUMENTS_REFUSED:
            return HACK_ERROR;
        case ARGUMENTS_ENDED_EARLY:
            return parse.early_end;
        case ARGUMENTS_TAKEN:
            break;
    }
    return HACK_RUN;
}

const char* hack_usage() {
    static const std::string usage = make_usage();
    return usage.c_str();
}

bool parse_window_id(std::string_view text, unsigned long& id) {
    // X gives its resources ids of 29 bits; the top three are always clear.
    constexpr std::uint64_t LARGEST_ID = 0x1FFFFFFF;
    std::uint64_t number = 0;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        const std::string_view digits = text.substr(2);
        if (digits.empty() || digits.size() > 8) return false;
        for (const char c : digits) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return false;
            number = number * 16 + static_cast<std::uint64_t>(digit);
        }
        if (number > LARGEST_ID) return false;
    } else if (!parse_setting_number(text, LARGEST_ID, number)) {
        return false;
    }
    if (number == 0) return false;
    id = static_cast<unsigned long>(number);
    return true;
}
