// The frame delay of a saved loop animation, in hundredths of a second, as
// huesift-render gives its loop GIF: the rotation's pause of delay / 2 ms per
// step, rounded to the nearest hundredth, never below 2 (viewers show a
// shorter delay as a slow one).
#pragma once

#include <algorithm>
#include <cstdint>

inline int loop_gif_delay(std::int32_t rotation_delay) {
    constexpr int SHORTEST = 2;
    return std::max(SHORTEST, (rotation_delay / 2 + 5) / 10);
}
