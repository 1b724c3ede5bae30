// The user's five settings in one place: their codes and defaults, the
// rotation delays behind the five speeds, the words that name them on a
// command line, in a link and in the registry, the labels a dialog shows,
// their validation, and which change of them stops or restarts what.
#pragma once

#include <cstdint>
#include <string_view>

using SurfaceKind = std::int32_t;
inline constexpr SurfaceKind SURFACE_SQUARE = 100;
inline constexpr SurfaceKind SURFACE_CIRCLE = 101;
inline constexpr SurfaceKind SURFACE_TORUS = 102;
inline constexpr SurfaceKind SURFACE_TRIANGLE = 103;
inline constexpr SurfaceKind SURFACE_TRIANGLE_INVERTED = 104;

// The two image sides; every size-dependent constant derives from these.
inline constexpr std::int32_t IMAGE_SIZE_SMALL = 256;
inline constexpr std::int32_t IMAGE_SIZE_BIG = 512;
inline constexpr std::int32_t REFRESH_MORE = 4;
inline constexpr std::int32_t REFRESH_LESS = 16;
inline constexpr std::int32_t RED_UP = 0;
inline constexpr std::int32_t RED_DOWN = 1;

// Rotation speeds 1 (fastest) to 5 (slowest) and the rotation_delay code of
// each: the rotation worker pauses delay / 2 ms after every step.
inline constexpr int ROTATION_SPEED_COUNT = 5;
inline constexpr std::int32_t ROTATION_DELAYS[ROTATION_SPEED_COUNT] = {8, 16, 32, 64, 128};

inline constexpr SurfaceKind DEFAULT_SURFACE = SURFACE_CIRCLE;
inline constexpr std::int32_t DEFAULT_IMAGE_SIZE = IMAGE_SIZE_SMALL;
inline constexpr std::int32_t DEFAULT_REFRESH_INTERVAL = REFRESH_LESS;
inline constexpr std::int32_t DEFAULT_ROTATION_DELAY = ROTATION_DELAYS[0];
inline constexpr std::int32_t DEFAULT_RED_DIRECTION = RED_UP;
inline constexpr int DEFAULT_ROTATION_SPEED = 1;

// The five settings as plain codes, for copying and comparing; the engine's
// live record is SortSettings (sort_settings.h).
struct SettingsValues {
    SurfaceKind surface = DEFAULT_SURFACE;
    std::int32_t image_size = DEFAULT_IMAGE_SIZE;
    std::int32_t refresh_interval = DEFAULT_REFRESH_INTERVAL;
    std::int32_t rotation_delay = DEFAULT_ROTATION_DELAY;
    std::int32_t red_direction = DEFAULT_RED_DIRECTION;
    bool operator==(const SettingsValues&) const = default;
};

// A code, the word that names it, and the label an options dialog gives it.
struct NamedCode {
    const char* name;
    std::int32_t code;
    const char* label = nullptr;
};

inline constexpr NamedCode SURFACE_NAMES[] = {{"square", SURFACE_SQUARE, "Square"},
                                              {"circle", SURFACE_CIRCLE, "Circle"},
                                              {"torus", SURFACE_TORUS, "Torus"},
                                              {"triangle", SURFACE_TRIANGLE, "Triangle"},
                                              {"inverted-triangle", SURFACE_TRIANGLE_INVERTED, "Triangle inverted"}};
inline constexpr NamedCode IMAGE_SIZE_NAMES[] = {{"256", IMAGE_SIZE_SMALL, "Small (256 pixels)"},
                                                 {"512", IMAGE_SIZE_BIG, "Big (512 pixels)"}};
inline constexpr NamedCode RED_DIRECTION_NAMES[] = {{"up", RED_UP, "Red up"}, {"down", RED_DOWN, "Red down"}};
inline constexpr NamedCode REFRESH_INTERVAL_NAMES[] = {{"more", REFRESH_MORE, "More (slower)"},
                                                       {"less", REFRESH_LESS, "Less (faster)"}};
// Named by the speed, 1 (fastest) to 5 (slowest), coded by its delay.
inline constexpr NamedCode ROTATION_SPEED_NAMES[ROTATION_SPEED_COUNT] = {{"1", ROTATION_DELAYS[0], "1 (fastest)"},
                                                                         {"2", ROTATION_DELAYS[1], "2"},
                                                                         {"3", ROTATION_DELAYS[2], "3"},
                                                                         {"4", ROTATION_DELAYS[3], "4"},
                                                                         {"5", ROTATION_DELAYS[4], "5 (slowest)"}};

// The registry's values that keep the settings as codes.
inline constexpr const char* REGISTRY_SURFACE = "Surface";
inline constexpr const char* REGISTRY_ROTATION_SPEED = "RotationSpeed";
inline constexpr const char* REGISTRY_IMAGE_SIZE = "ImageSize";
inline constexpr const char* REGISTRY_SCREEN_REFRESHES = "ScreenRefreshes";
inline constexpr const char* REGISTRY_RED_DIRECTION = "RedDirection";

// The largest iteration count a recipe may ask for.
inline constexpr std::uint64_t MAX_RECIPE_ITERATIONS = 1'000'000'000'000ull;

bool valid_surface(std::int32_t code);
bool valid_image_size(std::int32_t code);
bool valid_refresh_interval(std::int32_t code);
bool valid_rotation_delay(std::int32_t code);
bool valid_red_direction(std::int32_t code);
bool valid_rotation_speed(int speed);

// The word for a code ("?" for a code with none), and the code for a word
// (false, `code` untouched, for a word with none).
const char* surface_name(SurfaceKind surface);
const char* red_direction_name(std::int32_t red_direction);
bool surface_from_name(std::string_view name, SurfaceKind& code);
bool image_size_from_name(std::string_view name, std::int32_t& code);
bool red_direction_from_name(std::string_view name, std::int32_t& code);

// Speed 1 ... 5 and the rotation_delay code it stands for.
std::int32_t rotation_delay_for_speed(int speed);
int rotation_speed_for_delay(std::int32_t delay);

// The frame delay of a saved rotation loop, in hundredths of a second. GIF
// delays are whole hundredths, and common viewers show a delay below 2 as 10
// (slow), so the pause of rotation_delay / 2 ms per step is rounded to the
// nearest hundredth but never below 2: speeds 1 to 5 give 2, 2, 2, 3 and 6.
int loop_frame_delay(std::int32_t rotation_delay);

// A whole decimal number from 0 to `max`, digits only; false otherwise.
bool parse_setting_number(std::string_view text, std::uint64_t max, std::uint64_t& value);

// What applying new settings does to a running program. A change of surface,
// image size or red direction waits for the next Start: it stops the worker,
// ends rotation mode and asks for a Start. A change of rotation speed while
// rotation is off does the same but leaves rotation mode alone; while
// rotation is on the running worker takes the new pace. A change of the
// refresh interval reaches the running sort and restarts its refresh count.
struct SettingsChange {
    bool stop_worker = false;
    bool rotation_off = false;
    bool needs_start = false;  // tell the user to Start for the change to show
    bool restart_refresh_count = false;
};

SettingsChange settings_change(const SettingsValues& before, const SettingsValues& after, bool rotation_on);
