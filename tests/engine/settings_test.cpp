// The settings header: defaults, names and codes both ways, speeds and
// delays, number parsing, and what each change of settings stops or restarts.
#include <gtest/gtest.h>

#include <string>

#include "engine/settings.h"

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
        {"speed, rotation off", with([](SettingsValues& v) { v.rotation_delay = 64; }), false, true, false, true,
         false},
        {"speed, rotating", with([](SettingsValues& v) { v.rotation_delay = 64; }), true, false, false, false, false},
        {"surface, rotating", with([](SettingsValues& v) { v.surface = SURFACE_TORUS; }), true, true, true, true,
         false},
        {"size", with([](SettingsValues& v) { v.image_size = IMAGE_SIZE_BIG; }), false, true, true, true, false},
        {"red direction, rotating", with([](SettingsValues& v) { v.red_direction = RED_DOWN; }), true, true, true, true,
         false},
        {"speed and size, rotating", with([](SettingsValues& v) {
             v.rotation_delay = 128;
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
}

TEST(Settings, NamesAndCodesGoBothWaysAndNothingElseIsTaken) {
    const struct {
        const char* name;
        SurfaceKind code;
    } surfaces[] = {{"square", 100}, {"circle", 101}, {"torus", 102}, {"triangle", 103}, {"inverted-triangle", 104}};
    for (const auto& s : surfaces) {
        SurfaceKind code = 0;
        EXPECT_TRUE(surface_from_name(s.name, code));
        EXPECT_EQ(code, s.code);
        EXPECT_STREQ(surface_name(s.code), s.name);
        EXPECT_TRUE(valid_surface(s.code));
    }
    std::int32_t code = -7;
    for (const char* bad : {"", "Circle", "circle ", "99", "triangle-inverted"}) {
        EXPECT_FALSE(surface_from_name(bad, code)) << bad;
        EXPECT_FALSE(image_size_from_name(bad, code)) << bad;
        EXPECT_FALSE(red_direction_from_name(bad, code)) << bad;
    }
    EXPECT_EQ(code, -7) << "a refused name changed the code";
    EXPECT_TRUE(red_direction_from_name("down", code));
    EXPECT_EQ(code, RED_DOWN);
    EXPECT_STREQ(red_direction_name(RED_UP), "up");
    EXPECT_TRUE(image_size_from_name("512", code));
    EXPECT_EQ(code, 512);
    EXPECT_FALSE(image_size_from_name("0512", code));
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
