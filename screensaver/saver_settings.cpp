#include "screensaver/saver_settings.h"

#include <windows.h>

#include <cstdint>

#include "engine/sort_settings.h"

namespace {

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
    SettingsValues values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SAVER_SETTINGS_KEY, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        values.surface = read_code(key, REGISTRY_SURFACE, valid_surface, values.surface);
        values.rotation_delay = read_code(key, REGISTRY_ROTATION_SPEED, valid_rotation_delay, values.rotation_delay);
        values.image_size = read_code(key, REGISTRY_IMAGE_SIZE, valid_image_size, values.image_size);
        values.refresh_interval =
            read_code(key, REGISTRY_SCREEN_REFRESHES, valid_refresh_interval, values.refresh_interval);
        values.red_direction = read_code(key, REGISTRY_RED_DIRECTION, valid_red_direction, values.red_direction);
        RegCloseKey(key);
    }
    apply_settings(values);
}

bool save_saver_settings() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SAVER_SETTINGS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const SettingsValues values = current_settings();
    const bool written = write_code(key, REGISTRY_SURFACE, values.surface) &&
                         write_code(key, REGISTRY_ROTATION_SPEED, values.rotation_delay) &&
                         write_code(key, REGISTRY_IMAGE_SIZE, values.image_size) &&
                         write_code(key, REGISTRY_SCREEN_REFRESHES, values.refresh_interval) &&
                         write_code(key, REGISTRY_RED_DIRECTION, values.red_direction);
    RegCloseKey(key);
    return written;
}
