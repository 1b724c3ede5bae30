#include "engine/rotation.h"

#include <chrono>
#include <thread>

#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/palette.h"
#include "engine/relaxed_word.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"

namespace {
constexpr std::uint32_t BACKGROUND_WORD_TAG = BACKGROUND_TAG << PIXEL_TAG_SHIFT;
}  // namespace

void tag_pixels(std::uint32_t* palette_table, std::uint32_t* pixels, std::uint32_t count) {
    for (std::uint32_t k = 1; k < PALETTE_SIZE; ++k) palette_table[k] |= k << PIXEL_TAG_SHIFT;

    // Neighbouring pixels of a sorted image mostly share a colour, so the
    // search from entry 0 upward is skipped when the colour repeats.
    std::uint32_t last_rgb = 0xFFFFFFFF;
    std::uint32_t last_word = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t rgb = pixels[i] & PIXEL_COLOUR_MASK;
        if (rgb != last_rgb) {
            last_rgb = rgb;
            last_word = rgb | BACKGROUND_WORD_TAG;
            for (std::uint32_t k = 0; k < PALETTE_SIZE; ++k) {
                if ((palette_table[k] & PIXEL_COLOUR_MASK) == rgb) {
                    last_word = rgb | (k << PIXEL_TAG_SHIFT);
                    break;
                }
            }
        }
        pixels[i] = last_word;
    }
}

void rotate_palette(std::uint32_t* palette_table, std::uint32_t* pixels, std::uint32_t count) {
    const std::uint32_t last_colour = palette_table[PALETTE_SIZE - 1] & PIXEL_COLOUR_MASK;
    for (int k = PALETTE_SIZE - 1; k > 0; --k)
        palette_table[k] = (palette_table[k] & ~PIXEL_COLOUR_MASK) | (palette_table[k - 1] & PIXEL_COLOUR_MASK);
    palette_table[0] = (palette_table[0] & ~PIXEL_COLOUR_MASK) | last_colour;

    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t tag = pixels[i] >> PIXEL_TAG_SHIFT;
        if (tag < PALETTE_SIZE) store_relaxed(pixels[i], palette_table[tag]);
    }
}

void rotation_worker() {
    while (run_state.running.load(std::memory_order_relaxed) != 0) {
        rotate_palette(palette, image_buffer.pixels, image_geometry.pixel_count);
        request_repaint();
        const int delay_ms = sort_settings.rotation_delay.load(std::memory_order_relaxed) / 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    }
}
