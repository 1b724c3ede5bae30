// The settings' codes: their defaults, names, speeds, number parsing and
// what each change of them stops or restarts.
#include <gtest/gtest.h>

#include <string_view>

#include "engine/settings.h"
#include "engine/sort_settings.h"

namespace {

// What applying new settings does, case by case, as the Options dialog
// applies them: the values before, one or more changes, and rotation mode.
struct ChangeCase {
    const char* what;
    SettingsValues after;
    bool rotation_on;
    bool stop, rotation_off, needs_start, restart_refresh;
};

SettingsValues with(void (*change)(SettingsValues&)) {
    SettingsValues values;
    change(values);
    return values;
}

TEST(Settings, EachChangeStopsOrReachesTheWorkerAsThePrograms) {
    const ChangeCase cases[] = {
        {"nothing", SettingsValues{}, false, false, false, false, false},
        {"nothing, rotating", SettingsValues{}, true, false, false, false, false},
        {"refresh only", with([](SettingsValues& v) { v.refresh_interval = REFRESH_MORE; }), false, false, false, false,
         true},
        {"speed, rotation off", with([](SettingsValues& v) { v.rotation_delay = ROTATION_DELAYS[3]; }), false, true,
         false, true, false},
        {"speed, rotating", with([](SettingsValues& v) { v.rotation_delay = ROTATION_DELAYS[3]; }), true, false, false,
         false, false},
        {"surface, rotating", with([](SettingsValues& v) { v.surface = SURFACE_TORUS; }), true, true, true, true,
         false},
        {"size", with([](SettingsValues& v) { v.image_size = IMAGE_SIZE_BIG; }), false, true, true, true, false},
        {"red direction, rotating", with([](SettingsValues& v) { v.red_direction = RED_DOWN; }), true, true, true, true,
         false},
        {"speed and size, rotating", with([](SettingsValues& v) {
             v.rotation_delay = ROTATION_DELAYS[4];
             v.image_size = IMAGE_SIZE_BIG;
         }),
         true, true, true, true, false},
        {"refresh and surface", with([](SettingsValues& v) {
             v.refresh_interval = REFRESH_MORE;
             v.surface = SURFACE_SQUARE;
         }),
         false, true, true, true, true},
    };
    for (const ChangeCase& c : cases) {
        const SettingsChange change = settings_change(SettingsValues{}, c.after, c.rotation_on);
        EXPECT_EQ(change.stop_worker, c.stop) << c.what;
        EXPECT_EQ(change.rotation_off, c.rotation_off) << c.what;
        EXPECT_EQ(change.needs_start, c.needs_start) << c.what;
        EXPECT_EQ(change.restart_refresh_count, c.restart_refresh) << c.what;
    }
}

TEST(Settings, TheDefaultsAreTheProgramsFirstRun) {
    const SettingsValues values;
    EXPECT_EQ(values.surface, 101);
    EXPECT_EQ(values.image_size, 256);
    EXPECT_EQ(values.refresh_interval, 16);
    EXPECT_EQ(values.rotation_delay, 8);
    EXPECT_EQ(values.red_direction, 0);

    // The live record starts at the same codes.
    const SortSettings live;
    EXPECT_EQ(live.surface, values.surface);
    EXPECT_EQ(live.image_size, values.image_size);
    EXPECT_EQ(live.refresh_interval.load(), values.refresh_interval);
    EXPECT_EQ(live.rotation_delay.load(), values.rotation_delay);
    EXPECT_EQ(live.red_direction, values.red_direction);
}

TEST(Settings, NamesAndCodesGoBothWaysAndNothingElseIsTaken) {
    using FromName = bool (*)(std::string_view, std::int32_t&);
    using NameOf = const char* (*)(std::int32_t);  // nullptr: sizes are named by their number alone
    const struct {
        const char* name;
        std::int32_t code;
        FromName from_name;
        NameOf name_of;
        bool (*valid)(std::int32_t);
    } words[] = {
        {"square", 100, surface_from_name, surface_name, valid_surface},
        {"circle", 101, surface_from_name, surface_name, valid_surface},
        {"torus", 102, surface_from_name, surface_name, valid_surface},
        {"triangle", 103, surface_from_name, surface_name, valid_surface},
        {"inverted-triangle", 104, surface_from_name, surface_name, valid_surface},
        {"256", 256, image_size_from_name, nullptr, valid_image_size},
        {"512", 512, image_size_from_name, nullptr, valid_image_size},
        {"up", 0, red_direction_from_name, red_direction_name, valid_red_direction},
        {"down", 1, red_direction_from_name, red_direction_name, valid_red_direction},
    };
    for (const auto& word : words) {
        std::int32_t code = -7;
        EXPECT_TRUE(word.from_name(word.name, code)) << word.name;
        EXPECT_EQ(code, word.code) << word.name;
        if (word.name_of) {
            EXPECT_STREQ(word.name_of(word.code), word.name);
        }
        EXPECT_TRUE(word.valid(word.code)) << word.name;
    }
    std::int32_t code = -7;
    for (const char* bad : {"", "Circle", "circle ", "99", "triangle-inverted", "0512", "Up"}) {
        EXPECT_FALSE(surface_from_name(bad, code)) << bad;
        EXPECT_FALSE(image_size_from_name(bad, code)) << bad;
        EXPECT_FALSE(red_direction_from_name(bad, code)) << bad;
    }
    EXPECT_EQ(code, -7) << "a refused name changed the code";
    EXPECT_STREQ(surface_name(99), "?");
    EXPECT_STREQ(red_direction_name(2), "?");
    EXPECT_FALSE(valid_surface(99));
    EXPECT_FALSE(valid_surface(105));
    EXPECT_FALSE(valid_image_size(384));
    EXPECT_FALSE(valid_refresh_interval(8));
    EXPECT_FALSE(valid_red_direction(2));
}

TEST(Settings, SpeedsAreTheFiveRotationDelays) {
    const std::int32_t delays[] = {8, 16, 32, 64, 128};
    for (int speed = 1; speed <= 5; ++speed) {
        EXPECT_EQ(rotation_delay_for_speed(speed), delays[speed - 1]);
        EXPECT_EQ(rotation_speed_for_delay(delays[speed - 1]), speed);
        EXPECT_TRUE(valid_rotation_delay(delays[speed - 1]));
    }
    for (std::int32_t bad : {0, 4, 12, 256}) EXPECT_FALSE(valid_rotation_delay(bad)) << bad;
    EXPECT_FALSE(valid_rotation_speed(0));
    EXPECT_FALSE(valid_rotation_speed(6));
}

TEST(Settings, NumbersAreDigitsOnlyWithinTheirBound) {
    std::uint64_t value = 5;
    EXPECT_TRUE(parse_setting_number("4294967295", 4294967295u, value));
    EXPECT_EQ(value, 4294967295u);
    EXPECT_TRUE(parse_setting_number("0", 10, value));
    EXPECT_EQ(value, 0u);
    for (const char* bad : {"", "+1", "-1", " 1", "1 ", "0x10", "4294967296", "99999999999999999999999", "1e3"})
        EXPECT_FALSE(parse_setting_number(bad, 4294967295u, value)) << bad;
    EXPECT_EQ(value, 0u) << "a refused number changed the value";
}

}  // namespace
