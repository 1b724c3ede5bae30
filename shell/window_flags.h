// The window program's own flags: whether rotation mode is on, and whether
// a changed setting waits for the user to Start again. Only the
// user-interface thread touches them; no worker reads them.
#pragma once

#include <cstdint>

struct WindowFlags {
    std::int32_t rotation_on = 0;     // switched by Toggle rotation, ended by Options
    std::int32_t params_changed = 0;  // set by Options, cleared once the user is told
};

extern WindowFlags window_flags;
