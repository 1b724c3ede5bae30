// The screensaver's saved settings: the five settings of the program, kept
// per user as DWORD codes under HKCU\Software\Huesift\Screensaver (the
// value names are the settings' own, in engine/settings.h), read into the
// engine's SortSettings and written back from them.
#pragma once

inline constexpr const char* SAVER_SETTINGS_KEY = "Software\\Huesift\\Screensaver";

// Puts the defaults into sort_settings, then each saved value that is a
// DWORD holding a valid code over its default. A missing key gives the
// defaults.
void load_saver_settings();

// Writes all five settings; false when the key or a value could not be
// written.
bool save_saver_settings();
