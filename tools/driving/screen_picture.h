// Reads what another program shows: the pixels of a window as they are on
// the screen, and every measure the drivers take of them (palette indices,
// disorder, colour counts, and whether two pictures differ by a sort or by a
// palette rotation).
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

// Palette index (0-89) of a colour; BLACK_INDEX for black and FOREIGN_INDEX
// for any other colour outside the palette.
inline constexpr int BLACK_INDEX = -1;
inline constexpr int FOREIGN_INDEX = -2;
int palette_index_of(std::uint32_t colour);

// The palette index of every pixel, row by row.
std::vector<int> palette_indices(const Picture& picture);

// The `side` x `side` image shown at (left, top) of `window` enlarged by
// `factor`: one pixel read from the middle of each block, as palette indices.
std::vector<int> shown_indices(HWND window, int left, int top, int side, int factor);

// Whether every pixel of the `factor` x `factor` blocks of the central
// `blocks` x `blocks` image pixels is the same within its block.
bool blocks_are_uniform(HWND window, int left, int top, int side, int factor, int blocks);

// The number of palette entries (1-89) by which every coloured pixel moved
// on from `before` to `after`, as only rotation moves them: 0 when none
// moved, -1 when pixels moved by different steps, a black pixel took a
// colour or lost it, a colour is outside the palette or the sizes differ.
int palette_step_between(const std::vector<int>& before, const std::vector<int>& after);

// Two pictures of indices: the sort moved pixels (same colours, some
// elsewhere), or the palette rotated (every coloured pixel moved on by the
// same number of steps, and not zero).
bool looks_sorted_between(const std::vector<int>& before, const std::vector<int>& after);
bool looks_rotated_between(const std::vector<int>& before, const std::vector<int>& after);

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
