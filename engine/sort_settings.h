// The user's settings as the running program holds them: SortSettings, the
// one live record, read and stored whole as the plain codes of settings.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/settings.h"

// The settings, as codes. refresh_interval and rotation_delay may be changed
// while a worker reads them, so they are atomic words.
struct SortSettings {
    SurfaceKind surface = DEFAULT_SURFACE;
    std::int32_t image_size = DEFAULT_IMAGE_SIZE;
    std::atomic<std::int32_t> refresh_interval{DEFAULT_REFRESH_INTERVAL};
    std::atomic<std::int32_t> rotation_delay{DEFAULT_ROTATION_DELAY};
    std::int32_t red_direction = DEFAULT_RED_DIRECTION;
};

extern SortSettings sort_settings;

// The settings as plain codes, and all five stored at once. The two live
// words may be stored while a worker runs; the rest only while none does.
SettingsValues current_settings();
void apply_settings(const SettingsValues& values);
