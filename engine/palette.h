// The 90-colour palette that the image is made of, and the balanced colour
// picker that fills the surface with it.
#pragma once

#include <cstdint>

inline constexpr int PALETTE_SIZE = 90;

// The current palette (PALETTE_SIZE words in the pixel layout), or nullptr.
extern std::uint32_t* palette;

// The pick counters, one per palette entry; they exist only while the surface
// is being filled.
extern std::uint32_t* use_counts;

// Builds a fresh palette and makes it current; returns its entry count (90),
// or 0 when it cannot be allocated (then there is no palette).
int build_palette();
void release_palette();

// The colour word of entry `index` of a freshly built palette.
std::uint32_t palette_colour(int index);

// Chooses an entry among the first `n`, counts the pick and returns the entry.
// Needs `palette` and `use_counts`.
std::uint32_t pick_colour(int n);
