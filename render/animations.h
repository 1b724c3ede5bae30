// The two animations huesift-render makes: the loop of the final picture's
// palette rotation, and frames of the sort itself, both as palette indices.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline constexpr int SORT_FRAME_DELAY = 10;        // hundredths of a second
inline constexpr int SORT_LAST_FRAME_DELAY = 300;  // the end holds before the loop starts over

// Each pixel's palette index (tagging copies of the pixels and palette the
// way rotation does), the background as GIF_BLACK_INDEX.
std::vector<std::uint8_t> palette_indices(const std::uint32_t* pixels, const std::uint32_t* palette_table,
                                          std::uint32_t count);

// Writes the PALETTE_SIZE rotation steps of the picture as a GIF that loops
// forever: frame 1 is the picture itself, frame s + 1 the picture after s
// steps, so frame 1 follows the last frame as one more step would.
bool write_loop_gif(std::FILE* stream, const std::uint32_t* pixels, const std::uint32_t* palette_table, int side,
                    int delay, std::string& error);
