#include "render/animations.h"

#include <algorithm>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/rotation.h"
#include "render/gif_writer.h"

namespace {

std::uint8_t index_of_tag(std::uint32_t word) {
    const std::uint32_t tag = word >> PIXEL_TAG_SHIFT;
    return tag < PALETTE_SIZE ? static_cast<std::uint8_t>(tag) : GIF_BLACK_INDEX;
}

}  // namespace

std::vector<std::uint8_t> palette_indices(const std::uint32_t* pixels, const std::uint32_t* palette_table,
                                          std::uint32_t count) {
    std::vector<std::uint32_t> words(pixels, pixels + count);
    std::vector<std::uint32_t> table(palette_table, palette_table + PALETTE_SIZE);
    tag_pixels(table.data(), words.data(), count);
    std::vector<std::uint8_t> indices(count);
    std::transform(words.begin(), words.end(), indices.begin(), index_of_tag);
    return indices;
}

bool write_loop_gif(std::FILE* stream, const std::uint32_t* pixels, const std::uint32_t* palette_table, int side,
                    int delay, std::string& error) {
    const auto count = static_cast<std::uint32_t>(side * side);
    std::vector<std::uint32_t> words(pixels, pixels + count);
    std::vector<std::uint32_t> table(palette_table, palette_table + PALETTE_SIZE);
    tag_pixels(table.data(), words.data(), count);
    // All memory is taken before the GIF is begun, which needs ending.
    std::vector<std::uint8_t> indices(count);

    GifFile* gif = begin_gif(stream, side, side, gif_table_of(table.data()), error);
    if (!gif) return false;
    bool ok = true;
    for (int step = 0; ok && step < PALETTE_SIZE; ++step) {
        if (step > 0) rotate_palette(table.data(), words.data(), count);
        // A step keeps every pixel's tag and moves the colours through the
        // palette, so each frame is the tags with the palette of that step.
        std::transform(words.begin(), words.end(), indices.begin(), index_of_tag);
        const GifColourTable colours = gif_table_of(table.data());
        ok = add_gif_frame(gif, indices.data(), delay, &colours, error);
    }
    return end_gif(gif, error) && ok;
}
