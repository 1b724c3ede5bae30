// The command line of huesift, the XScreenSaver hack: the show's settings in
// huesift-render's words and defaults, where to draw, and the switches every
// hack takes by convention. Each option is defined once, in a table that the
// parsing and the usage text both walk.
#pragma once

#include <string>
#include <string_view>

#include "engine/settings.h"
#include "huesift_version.h"

// Where the show is drawn. With neither -root, -window nor -window-id the
// window XScreenSaver names in $XSCREENSAVER_WINDOW is taken, or without
// one a window of the hack's own; -root takes that variable's window too,
// as every hack does, and the root window without it.
enum DrawTarget { TARGET_UNSAID, TARGET_ROOT, TARGET_OWN_WINDOW, TARGET_WINDOW_ID };

struct HackOptions {
    SettingsValues settings;  // surface, image size, red direction and rotation delay from the options
    DrawTarget target = TARGET_UNSAID;
    unsigned long window_id = 0;  // for TARGET_WINDOW_ID
    std::string display;          // empty for $DISPLAY
};

inline constexpr const char* HACK_VERSION = "huesift " HUESIFT_VERSION;

enum HackParse { HACK_RUN, HACK_HELP, HACK_VERSION_ASKED, HACK_ERROR };

// Fills `options` from the arguments; the last of -root, -window and
// -window-id wins. On HACK_ERROR `error` is one line saying what is wrong,
// with any text of the user's shown escaped.
HackParse parse_hack_options(int argc, const char* const* argv, HackOptions& options, std::string& error);

const char* hack_usage();

// A window id as XScreenSaver writes one (0x and hex digits) or in decimal.
// False for anything else, for 0 and for ids past the 29 bits X gives them.
bool parse_window_id(std::string_view text, unsigned long& id);
