#include "screensaver/saver_settings.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>

#include "engine/run_state.h"

namespace {

constexpr std::int32_t DEFAULT_SURFACE = SURFACE_CIRCLE;
constexpr std::int32_t DEFAULT_ROTATION_DELAY = 8;
constexpr std::int32_t DEFAULT_IMAGE_SIZE = IMAGE_SIZE_SMALL;
constexpr std::int32_t DEFAULT_REFRESH = REFRESH_LESS;
constexpr std::int32_t DEFAULT_RED_DIRECTION = RED_UP;

bool one_of(std::int32_t code, std::initializer_list<std::int32_t> valid) {
    for (std::int32_t v : valid) {
        if (v == code) return true;
    }
    return false;
}

bool valid_surface(std::int32_t c) { return c >= SURFACE_SQUARE && c <= SURFACE_TRIANGLE_INVERTED; }
bool valid_rotation_delay(std::int32_t c) { return one_of(c, {8, 16, 32, 64, 128}); }
bool valid_image_size(std::int32_t c) { return one_of(c, {IMAGE_SIZE_SMALL, IMAGE_SIZE_BIG}); }
bool valid_refresh(std::int32_t c) { return one_of(c, {REFRESH_MORE, REFRESH_LESS}); }
bool valid_red_direction(std::int32_t c) { return one_of(c, {RED_UP, RED_DOWN}); }

// The saved code of `name` when it is a 4-byte DWORD that `valid` accepts;
// otherwise `fallback`. Each value stands on its own, so one damaged value
// costs only that setting.
std::int32_t read_code(HKEY key, const char* name, bool (*valid)(std::int32_t), std::int32_t fallback) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return fallback;
    if (type != REG_DWORD || size != sizeof(value)) return fallback;
    const auto code = static_cast<std::int32_t>(value);
    return valid(code) ? code : fallback;
}

bool write_code(HKEY key, const char* name, std::int32_t code) {
    const DWORD value = static_cast<DWORD>(code);
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

}  // namespace

void load_saver_settings() {
    sort_settings.surface = DEFAULT_SURFACE;
    sort_settings.rotation_delay.store(DEFAULT_ROTATION_DELAY, std::memory_order_relaxed);
    sort_settings.image_size = DEFAULT_IMAGE_SIZE;
    sort_settings.refresh_interval.store(DEFAULT_REFRESH, std::memory_order_relaxed);
    sort_settings.red_direction = DEFAULT_RED_DIRECTION;

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SAVER_SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    sort_settings.surface = read_code(key, VALUE_SURFACE, valid_surface, DEFAULT_SURFACE);
    sort_settings.rotation_delay.store(
        read_code(key, VALUE_ROTATION_SPEED, valid_rotation_delay, DEFAULT_ROTATION_DELAY), std::memory_order_relaxed);
    sort_settings.image_size = read_code(key, VALUE_IMAGE_SIZE, valid_image_size, DEFAULT_IMAGE_SIZE);
    sort_settings.refresh_interval.store(read_code(key, VALUE_SCREEN_REFRESHES, valid_refresh, DEFAULT_REFRESH),
                                         std::memory_order_relaxed);
    sort_settings.red_direction = read_code(key, VALUE_RED_DIRECTION, valid_red_direction, DEFAULT_RED_DIRECTION);
    RegCloseKey(key);
}

bool save_saver_settings() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SAVER_SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const bool written =
        write_code(key, VALUE_SURFACE, sort_settings.surface) &&
        write_code(key, VALUE_ROTATION_SPEED, sort_settings.rotation_delay.load(std::memory_order_relaxed)) &&
        write_code(key, VALUE_IMAGE_SIZE, sort_settings.image_size) &&
        write_code(key, VALUE_SCREEN_REFRESHES, sort_settings.refresh_interval.load(std::memory_order_relaxed)) &&
        write_code(key, VALUE_RED_DIRECTION, sort_settings.red_direction);
    RegCloseKey(key);
    return written;
}
