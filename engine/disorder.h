// How far an image is from the order the sort works toward: for each channel,
// the share of the neighbour pairs that channel's pass compares which are
// still out of order.
#pragma once

#include <cstdint>

// Shares from 0 (every pair in order) to 1; 0 for a channel with no pair.
struct Disorder {
    double red = 0;
    double blue = 0;
    double green = 0;
};

// Measures exactly the pairs the sort compares: red between a pixel and the
// one below it (out of order as `red_direction` orders it), blue between a
// pixel and its lower-left neighbour, green between a pixel and its
// lower-right neighbour; a pair counts only when both pixels are surface
// pixels (colour bits not 0, so a tagged image measures the same). Pixels are
// read with relaxed atomic loads, so a running worker may be writing them.
Disorder measure_disorder(const std::uint32_t* pixels, std::uint32_t width, std::uint32_t height,
                          std::int32_t red_direction);
