// Reads what another program shows: the pixels of a window's client area as
// they are on the screen, and the measures the end-to-end tests take of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "engine/disorder.h"

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top-down rows

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool operator==(const Picture&) const = default;
};

// The width x height pixels at (left, top) of a device context.
Picture capture_area(HDC source, int left, int top, int width, int height);

// The client area of `window` as the screen shows it now.
Picture capture_client(HWND window);

// Palette index (0-89) of a colour, or -1 for a colour outside the palette
// (black included).
int palette_index_of(std::uint32_t colour);

// The engine's disorder of the top-left `side` x `side` pixels: for each
// channel, the share of the pairs the sort compares that are out of order.
// All zero when the picture is smaller than that.
Disorder picture_disorder(const Picture& picture, int side, std::int32_t red_direction);

// Counts of the pixels in the top-left `side` x `side` square: coloured with
// a palette colour, black, and anything else.
struct ColourCounts {
    int palette = 0;
    int black = 0;
    int other = 0;
};
ColourCounts count_colours(const Picture& picture, int side);

// Whether every pixel outside the top-left `side` x `side` square is black.
bool black_outside(const Picture& picture, int side);
