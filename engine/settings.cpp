#include "engine/settings.h"

#include <algorithm>
#include <charconv>
#include <span>

namespace {

bool one_of(std::span<const NamedCode> table, std::int32_t code) {
    for (const NamedCode& entry : table)
        if (entry.code == code) return true;
    return false;
}

const char* name_of(std::span<const NamedCode> table, std::int32_t code) {
    for (const NamedCode& entry : table)
        if (entry.code == code) return entry.name;
    return "?";
}

bool code_of(std::span<const NamedCode> table, std::string_view name, std::int32_t& code) {
    for (const NamedCode& entry : table)
        if (name == entry.name) {
            code = entry.code;
            return true;
        }
    return false;
}

}  // namespace

bool valid_surface(std::int32_t code) { return one_of(SURFACE_NAMES, code); }
bool valid_image_size(std::int32_t code) { return one_of(IMAGE_SIZE_NAMES, code); }
bool valid_refresh_interval(std::int32_t code) { return one_of(REFRESH_INTERVAL_NAMES, code); }
bool valid_red_direction(std::int32_t code) { return one_of(RED_DIRECTION_NAMES, code); }
bool valid_rotation_speed(int speed) { return speed >= 1 && speed <= ROTATION_SPEED_COUNT; }

bool valid_rotation_delay(std::int32_t code) { return rotation_speed_for_delay(code) != 0; }

const char* surface_name(SurfaceKind surface) { return name_of(SURFACE_NAMES, surface); }
const char* red_direction_name(std::int32_t red_direction) { return name_of(RED_DIRECTION_NAMES, red_direction); }

bool surface_from_name(std::string_view name, SurfaceKind& code) { return code_of(SURFACE_NAMES, name, code); }
bool image_size_from_name(std::string_view name, std::int32_t& code) { return code_of(IMAGE_SIZE_NAMES, name, code); }
bool red_direction_from_name(std::string_view name, std::int32_t& code) {
    return code_of(RED_DIRECTION_NAMES, name, code);
}

std::int32_t rotation_delay_for_speed(int speed) {
    return valid_rotation_speed(speed) ? ROTATION_DELAYS[speed - 1] : DEFAULT_ROTATION_DELAY;
}

int rotation_speed_for_delay(std::int32_t delay) {
    for (int speed = 1; speed <= ROTATION_SPEED_COUNT; ++speed)
        if (ROTATION_DELAYS[speed - 1] == delay) return speed;
    return 0;
}

int loop_frame_delay(std::int32_t rotation_delay) {
    constexpr int SHORTEST_DELAY = 2;
    const int pause_ms = rotation_delay / 2;
    return std::max(SHORTEST_DELAY, (pause_ms + 5) / 10);
}

bool parse_setting_number(std::string_view text, std::uint64_t max, std::uint64_t& value) {
    // from_chars alone would take a sign or stop at the first non-digit.
    if (text.empty() || text.size() > 20) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    std::uint64_t parsed = 0;
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (fault != std::errc() || end != text.data() + text.size() || parsed > max) return false;
    value = parsed;
    return true;
}

SettingsChange settings_change(const SettingsValues& before, const SettingsValues& after, bool rotation_on) {
    SettingsChange change;
    // Applied one group after another, the first of these ends rotation mode
    // before the speed is looked at; the outcome is the same as taking them
    // together, since every such change stops the worker anyway.
    const bool for_next_start = after.surface != before.surface || after.image_size != before.image_size ||
                                after.red_direction != before.red_direction;
    const bool speed_waits = after.rotation_delay != before.rotation_delay && !rotation_on;
    change.stop_worker = for_next_start || speed_waits;
    change.rotation_off = for_next_start;
    change.needs_start = change.stop_worker;
    change.restart_refresh_count = after.refresh_interval != before.refresh_interval;
    return change;
}
