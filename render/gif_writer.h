// Looping GIF animations of palette-index frames, written with giflib: a
// 256-entry colour table where index k is palette entry k and GIF_BLACK_INDEX
// is the background, so no colour is ever approximated.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/palette.h"

inline constexpr int GIF_TABLE_SIZE = 256;
inline constexpr std::uint8_t GIF_BLACK_INDEX = PALETTE_SIZE;

// 0x00RRGGBB per index.
using GifColourTable = std::array<std::uint32_t, GIF_TABLE_SIZE>;

// The table for the first PALETTE_SIZE words of `palette_table` (tags are
// ignored); every other index is black.
GifColourTable gif_table_of(const std::uint32_t* palette_table);

struct GifFile;  // giflib's stream, kept out of this header

// Starts a width x height animation that loops forever, with `global` as its
// colour table. nullptr, with `error` set, on failure.
GifFile* begin_gif(std::FILE* stream, int width, int height, const GifColourTable& global, std::string& error);

// Adds a full frame of width x height indices shown for `delay` hundredths
// of a second; with `local` the frame carries its own colour table. Throws
// nothing: running out of memory is a failure with `error` set.
bool add_gif_frame(GifFile* gif, const std::uint8_t* indices, int delay, const GifColourTable* local,
                   std::string& error);

// Ends the animation and frees the stream (also after a failure).
bool end_gif(GifFile* gif, std::string& error);
