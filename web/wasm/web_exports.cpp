// The engine as the page's worker calls it: plain C functions over the
// picture interface, the show and the settings header, with the pixels
// handed over as RGBA bytes and text passed through one buffer in the
// module's memory.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/picture.h"
#include "engine/rotation.h"
#include "engine/settle.h"
#include "engine/show.h"
#include "engine/sort_settings.h"
#include "engine/settings.h"

namespace {

// What the worker names a setting by when it passes a word or a number, and
// the link's key for each.
enum WebSetting { WEB_SHAPE, WEB_SIZE, WEB_RED, WEB_SEED, WEB_SPEED, WEB_ITERATIONS };
constexpr const char* LINK_KEYS[] = {"shape", "size", "red", "seed", "speed", "iterations"};

// A group of the options dialog: the setting's key, its place in
// hs_setting's codes (and hs_apply_settings's arguments), its link key if it
// has one, the dialog's caption, its default and its choices, shown last to
// first where `reversed`.
struct OptionGroup {
    const char* key;
    int slot;
    const char* link;
    const char* caption;
    std::int32_t default_code;
    std::span<const NamedCode> choices;
    bool reversed;
};
constexpr OptionGroup OPTION_GROUPS[] = {
    {"surface", 0, "shape", "Select surface", DEFAULT_SURFACE, SURFACE_NAMES, false},
    {"delay", 3, "speed", "Rotation speed", DEFAULT_ROTATION_DELAY, ROTATION_SPEED_NAMES, true},
    {"size", 1, "size", "Image Size", DEFAULT_IMAGE_SIZE, IMAGE_SIZE_NAMES, true},
    {"refresh", 2, nullptr, "Screen refreshes", DEFAULT_REFRESH_INTERVAL, REFRESH_INTERVAL_NAMES, false},
    {"red", 4, "red", "Sort direction", DEFAULT_RED_DIRECTION, RED_DIRECTION_NAMES, false},
};

// A link's values are short; a longer one is no setting and is refused.
constexpr std::uint32_t TEXT_ROOM = 64;
char text_buffer[TEXT_ROOM];
double parsed_value = 0;

std::string settings_json;

// The show's phases by their ShowPhase number, as the worker names them.
constexpr const char* SHOW_PHASE_NAMES[] = {"idle", "sorting", "rotating", "waiting"};

PictureSettle picture_settle;
std::vector<std::uint8_t> rgba_frame;

// How the page's picture stands: the recipe and iterations are the engine's;
// whether its pixels were tagged for rotation and the rotation steps since,
// less whole turns of the palette, are counted here. The palette's colours
// are distinct, so tagging a rotated picture again leaves every tag as it
// was: these two say how the rotation stands however often it was toggled.
struct PagePicture {
    bool made = false;
    PictureRecipe recipe;
    std::uint64_t iterations = 0;
    bool tagged = false;
    int rotation_steps = 0;
};
PagePicture page_picture;
// The page's picture as it stood when the show took the engine over, to be
// made again when it ends; `made` until it has been.
PagePicture kept_picture;

// The loop animation: copies of the picture and palette, tagged, rotated a
// step per frame, and the frame's indices and colours.
std::vector<std::uint32_t> loop_pixels;
std::uint32_t loop_palette[PALETTE_SIZE];
std::vector<std::uint8_t> loop_indices;
std::uint8_t loop_colours[PALETTE_SIZE * 3];

bool parse_named(WebSetting setting, std::string_view text, std::int32_t& code) {
    switch (setting) {
        case WEB_SHAPE:
            return surface_from_name(text, code);
        case WEB_SIZE:
            return image_size_from_name(text, code);
        case WEB_RED:
            return red_direction_from_name(text, code);
        default:
            return false;
    }
}

bool parse_number(WebSetting setting, std::string_view text, std::uint64_t& value) {
    switch (setting) {
        case WEB_SEED:
            return parse_setting_number(text, 0xFFFFFFFFu, value);
        case WEB_SPEED:
            if (!parse_setting_number(text, ROTATION_SPEED_COUNT, value) || !valid_rotation_speed(int(value)))
                return false;
            value = static_cast<std::uint64_t>(rotation_delay_for_speed(int(value)));
            return true;
        case WEB_ITERATIONS:
            return parse_setting_number(text, MAX_RECIPE_ITERATIONS, value);
        default:
            return false;
    }
}

// The words of the table hold no quote or backslash; they are written as
// they are.
std::string json_text(const char* text) { return std::string("\"") + text + "\""; }

std::string choice_json(const NamedCode& choice) {
    return "{\"code\":" + std::to_string(choice.code) + ",\"name\":" + json_text(choice.name) +
           ",\"label\":" + json_text(choice.label ? choice.label : choice.name) + "}";
}

std::string group_json(const OptionGroup& group) {
    std::string choices;
    for (std::size_t i = 0; i < group.choices.size(); ++i) {
        const NamedCode& choice = group.choices[group.reversed ? group.choices.size() - 1 - i : i];
        choices += (i == 0 ? "" : ",") + choice_json(choice);
    }
    return "{\"key\":" + json_text(group.key) + ",\"slot\":" + std::to_string(group.slot) +
           ",\"link\":" + (group.link ? json_text(group.link) : "null") + ",\"caption\":" + json_text(group.caption) +
           ",\"default\":" + std::to_string(group.default_code) + ",\"choices\":[" + choices + "]}";
}

}  // namespace

extern "C" {

// The settings as the page shows and links them, as JSON: "groups", the
// options dialog's groups in order, "link", the link's keys by their
// WebSetting number, and "showPhases", the show's phases by hs_show_phase's
// number.
EMSCRIPTEN_KEEPALIVE const char* hs_settings_table() {
    if (settings_json.empty()) {
        std::string groups;
        for (const OptionGroup& group : OPTION_GROUPS) groups += (groups.empty() ? "" : ",") + group_json(group);
        std::string keys;
        for (const char* key : LINK_KEYS) keys += (keys.empty() ? "" : ",") + json_text(key);
        std::string phases;
        for (const char* phase : SHOW_PHASE_NAMES) phases += (phases.empty() ? "" : ",") + json_text(phase);
        settings_json = "{\"groups\":[" + groups + "],\"link\":[" + keys + "],\"showPhases\":[" + phases + "]}";
    }
    return settings_json.c_str();
}

// The buffer a word is written into before hs_parse_setting, and its room.
EMSCRIPTEN_KEEPALIVE char* hs_text() { return text_buffer; }
EMSCRIPTEN_KEEPALIVE std::uint32_t hs_text_room() { return TEXT_ROOM; }

// Reads the `length` bytes of the text buffer as the value of `setting`;
// the code (for a speed, its rotation delay) or number is then hs_parsed().
// 0 when the value is not one the setting takes.
EMSCRIPTEN_KEEPALIVE int hs_parse_setting(int setting, std::uint32_t length) {
    if (length > TEXT_ROOM) return 0;
    const std::string_view text(text_buffer, length);
    const auto which = static_cast<WebSetting>(setting);
    std::int32_t code = 0;
    std::uint64_t number = 0;
    if (parse_named(which, text, code)) {
        parsed_value = code;
        return 1;
    }
    if (parse_number(which, text, number)) {
        parsed_value = static_cast<double>(number);
        return 1;
    }
    return 0;
}
EMSCRIPTEN_KEEPALIVE double hs_parsed() { return parsed_value; }

// The current settings, one code each: 0 surface, 1 image size, 2 refresh
// interval, 3 rotation delay, 4 red direction.
EMSCRIPTEN_KEEPALIVE int hs_setting(int which) {
    const SettingsValues values = current_settings();
    const std::int32_t codes[] = {values.surface, values.image_size, values.refresh_interval, values.rotation_delay,
                                  values.red_direction};
    return which >= 0 && which < 5 ? codes[which] : 0;
}

// Applies five new codes and says what the change does to a running
// picture: bit 0 stop the sort or rotation, bit 1 rotation mode off, bit 2
// tell the user to Start, bit 3 restart the refresh count. -1, with nothing
// applied, when a code is not one the setting takes.
EMSCRIPTEN_KEEPALIVE int hs_apply_settings(int surface, int size, int refresh, int delay, int red, int rotation_on) {
    const SettingsValues after{surface, size, refresh, delay, red};
    if (!valid_surface(surface) || !valid_image_size(size) || !valid_refresh_interval(refresh) ||
        !valid_rotation_delay(delay) || !valid_red_direction(red))
        return -1;
    const SettingsChange change = settings_change(current_settings(), after, rotation_on != 0);
    apply_settings(after);
    return (change.stop_worker ? 1 : 0) | (change.rotation_off ? 2 : 0) | (change.needs_start ? 4 : 0) |
           (change.restart_refresh_count ? 8 : 0);
}

// Makes the picture of the current settings with `seed`; 0 when it cannot
// be made.
EMSCRIPTEN_KEEPALIVE int hs_make_picture(std::uint32_t seed) {
    picture_settle = PictureSettle{};
    if (!open_drawing_context(nullptr)) return 0;
    page_picture = PagePicture{};
    if (!make_picture(recipe_from_settings(seed))) return 0;
    page_picture.made = true;
    return 1;
}

EMSCRIPTEN_KEEPALIVE int hs_picture_side() { return static_cast<int>(picture_side()); }
EMSCRIPTEN_KEEPALIVE std::uint32_t hs_picture_seed() { return picture_recipe().seed; }
EMSCRIPTEN_KEEPALIVE int hs_picture_surface() { return picture_recipe().surface; }

// Sorts `iterations` more, on this thread, and makes the settle checks now
// due; 1 once the sort has settled or reached its cap.
EMSCRIPTEN_KEEPALIVE int hs_sort(std::uint32_t iterations) {
    if (!has_picture()) return 0;
    sort_picture(iterations);
    return watch_picture_settle(picture_settle, picture_iterations()) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE double hs_iterations() { return static_cast<double>(picture_iterations()); }
EMSCRIPTEN_KEEPALIVE int hs_settled() { return picture_settle.settled || picture_settle.capped ? 1 : 0; }

// The iteration count of the next settle check (a sort that stops there stops
// where huesift-render --until-settled would), and the checks made so far.
EMSCRIPTEN_KEEPALIVE double hs_next_check() { return static_cast<double>(picture_settle.next_check); }
EMSCRIPTEN_KEEPALIVE int hs_checks() { return picture_settle.watch.checks; }

// The disorder at the latest settle check: 0 red, 1 blue, 2 green.
EMSCRIPTEN_KEEPALIVE double hs_disorder(int channel) {
    const Disorder& d = picture_settle.last;
    return channel == 0 ? d.red : channel == 1 ? d.blue : d.green;
}

EMSCRIPTEN_KEEPALIVE void hs_tag() {
    if (!has_picture()) return;
    tag_picture();
    page_picture.tagged = true;
}
EMSCRIPTEN_KEEPALIVE void hs_rotate() {
    if (!has_picture()) return;
    rotate_picture_once();
    page_picture.rotation_steps = (page_picture.rotation_steps + 1) % PALETTE_SIZE;
}

// The picture's pixels as RGBA bytes, opaque, for a canvas.
EMSCRIPTEN_KEEPALIVE std::uint8_t* hs_frame() {
    if (!has_picture()) return nullptr;
    const std::uint32_t* pixels = picture_pixels();
    const std::size_t count = std::size_t{picture_side()} * picture_side();
    rgba_frame.resize(count * 4);
    std::uint8_t* out = rgba_frame.data();
    for (std::size_t i = 0; i < count; ++i, out += 4) {
        const std::uint32_t word = pixels[i];
        out[0] = static_cast<std::uint8_t>(red_of(word));
        out[1] = static_cast<std::uint8_t>(green_of(word));
        out[2] = static_cast<std::uint8_t>(blue_of(word));
        out[3] = 0xFF;
    }
    return rgba_frame.data();
}

// Starts the loop animation of the picture shown: tags copies of its pixels
// and palette as rotation does. 0 without a picture.
EMSCRIPTEN_KEEPALIVE int hs_loop_begin() {
    if (!has_picture() || !palette) return 0;
    const std::size_t count = std::size_t{picture_side()} * picture_side();
    loop_pixels.assign(picture_pixels(), picture_pixels() + count);
    std::copy(palette, palette + PALETTE_SIZE, loop_palette);
    tag_pixels(loop_palette, loop_pixels.data(), static_cast<std::uint32_t>(count));
    loop_indices.assign(count, 0);
    return PALETTE_SIZE;
}

// Makes the next frame: the first call the picture itself, each later one a
// rotation step on. The frame's palette indices (PALETTE_SIZE for the
// background) are hs_loop_indices(), its colours hs_loop_colours() as RGB.
EMSCRIPTEN_KEEPALIVE void hs_loop_frame(int step) {
    const auto count = static_cast<std::uint32_t>(loop_pixels.size());
    if (step > 0) rotate_palette(loop_palette, loop_pixels.data(), count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t tag = loop_pixels[i] >> PIXEL_TAG_SHIFT;
        loop_indices[i] = static_cast<std::uint8_t>(tag < PALETTE_SIZE ? tag : PALETTE_SIZE);
    }
    for (int k = 0; k < PALETTE_SIZE; ++k) {
        loop_colours[3 * k] = static_cast<std::uint8_t>(red_of(loop_palette[k]));
        loop_colours[3 * k + 1] = static_cast<std::uint8_t>(green_of(loop_palette[k]));
        loop_colours[3 * k + 2] = static_cast<std::uint8_t>(blue_of(loop_palette[k]));
    }
}
EMSCRIPTEN_KEEPALIVE std::uint8_t* hs_loop_indices() { return loop_indices.data(); }
EMSCRIPTEN_KEEPALIVE std::uint8_t* hs_loop_colours() { return loop_colours; }
EMSCRIPTEN_KEEPALIVE int hs_loop_delay() { return loop_frame_delay(current_settings().rotation_delay); }
EMSCRIPTEN_KEEPALIVE void hs_loop_end() {
    loop_pixels = {};
    loop_indices = {};
}

// The show on the worker's thread, on the worker's clock in milliseconds
// (which stands still while the page is hidden). Begins it with the sort
// limit and rotation time given, the show's own where they are 0, and keeps
// the page's picture to make again when it ends.
EMSCRIPTEN_KEEPALIVE void hs_show_begin(double now_ms, double sort_limit_ms, double rotation_ms) {
    page_picture.recipe = picture_recipe();
    page_picture.iterations = picture_iterations();
    kept_picture = page_picture;
    kept_picture.made = page_picture.made && has_picture();
    ShowTimings timings = SHOW_TIMINGS;
    if (sort_limit_ms > 0) timings.sort_limit_ms = static_cast<std::uint64_t>(sort_limit_ms);
    if (rotation_ms > 0) timings.rotation_ms = static_cast<std::uint64_t>(rotation_ms);
    open_drawing_context(nullptr);
    show_begin(timings, SHOW_ON_CALLER, static_cast<std::uint64_t>(now_ms));
}
// The iterations between two settle checks of the picture now made: a show
// sorted in pieces that end on these multiples makes its checks where
// huesift-render --until-settled makes them, and settles at the same one.
EMSCRIPTEN_KEEPALIVE double hs_settle_interval() {
    return static_cast<double>(settle_check_interval(picture_side() * picture_side()));
}
EMSCRIPTEN_KEEPALIVE int hs_show_sort(double iterations) {
    return show_sort(static_cast<std::uint64_t>(iterations)) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE int hs_show_step(double now_ms) { return show_step(static_cast<std::uint64_t>(now_ms)) ? 1 : 0; }
// When the show next has something to do while nothing sorts; -1 for never.
EMSCRIPTEN_KEEPALIVE double hs_show_next_step(double now_ms) {
    const std::uint64_t next = show_next_step_ms(static_cast<std::uint64_t>(now_ms));
    return next == UINT64_MAX ? -1 : static_cast<double>(next);
}
EMSCRIPTEN_KEEPALIVE int hs_show_phase() { return show_phase(); }

// Ends the show and makes the page's picture again, as its recipe makes it;
// hs_restore then brings it to where it stood. 0 when the page had no
// picture or it cannot be made.
EMSCRIPTEN_KEEPALIVE int hs_show_end() {
    show_end();
    page_picture = PagePicture{};
    if (!kept_picture.made || !make_picture(kept_picture.recipe)) {
        kept_picture.made = false;
        return 0;
    }
    page_picture.made = true;
    return 1;
}

// Sorts the page's picture up to `iterations` more toward the count it stood
// at, without the settle checks (the page's watch stood still meanwhile),
// and once there tags and rotates it as it stood. 1 once it is as it was.
EMSCRIPTEN_KEEPALIVE int hs_restore(double iterations) {
    if (!kept_picture.made) return 1;
    const std::uint64_t done = picture_iterations();
    if (done < kept_picture.iterations) {
        sort_picture(std::min(static_cast<std::uint64_t>(iterations), kept_picture.iterations - done));
        if (picture_iterations() < kept_picture.iterations) return 0;
    }
    if (kept_picture.tagged) tag_picture();
    for (int step = 0; step < kept_picture.rotation_steps; ++step) rotate_picture_once();
    page_picture = kept_picture;
    kept_picture.made = false;
    return 1;
}

}  // extern "C"
