#include "engine/sort_settings.h"

SortSettings sort_settings;

SettingsValues current_settings() {
    return {sort_settings.surface, sort_settings.image_size,
            sort_settings.refresh_interval.load(std::memory_order_relaxed),
            sort_settings.rotation_delay.load(std::memory_order_relaxed), sort_settings.red_direction};
}

void apply_settings(const SettingsValues& values) {
    sort_settings.surface = values.surface;
    sort_settings.image_size = values.image_size;
    sort_settings.refresh_interval.store(values.refresh_interval, std::memory_order_relaxed);
    sort_settings.rotation_delay.store(values.rotation_delay, std::memory_order_relaxed);
    sort_settings.red_direction = values.red_direction;
}
