// The screensaver's saved settings: the five settings of the program, kept
// per user as DWORD codes under HKCU\Software\Huesift\Screensaver, read into
// the engine's SortSettings and written back from them.
#pragma once

inline constexpr const char* SAVER_SETTINGS_KEY = "Software\\Huesift\\Screensaver";
inline constexpr const char* VALUE_SURFACE = "Surface";
inline constexpr const char* VALUE_ROTATION_SPEED = "RotationSpeed";
inline constexpr const char* VALUE_IMAGE_SIZE = "ImageSize";
inline constexpr const char* VALUE_SCREEN_REFRESHES = "ScreenRefreshes";
inline constexpr const char* VALUE_RED_DIRECTION = "RedDirection";

// Puts the defaults into sort_settings, then each saved value that is a
// DWORD holding a valid code over its default. A missing key gives the
// defaults.
void load_saver_settings();

// Writes all five settings; false when the key or a value could not be
// written.
bool save_saver_settings();
