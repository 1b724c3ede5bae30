#include "engine/disorder.h"

#include "engine/image.h"
#include "engine/relaxed_word.h"
#include "engine/settings.h"

namespace {

struct PairCount {
    std::uint64_t pairs = 0;
    std::uint64_t out_of_order = 0;

    void add(std::uint32_t a, std::uint32_t b, bool wrong_way) {
        if ((a & PIXEL_COLOUR_MASK) == 0 || (b & PIXEL_COLOUR_MASK) == 0) return;
        ++pairs;
        out_of_order += wrong_way;
    }
    double share() const { return pairs == 0 ? 0.0 : static_cast<double>(out_of_order) / static_cast<double>(pairs); }
};

inline std::uint32_t load(const std::uint32_t* pixels, std::uint32_t i) { return load_relaxed(pixels[i]); }

}  // namespace

Disorder measure_disorder(const std::uint32_t* pixels, std::uint32_t width, std::uint32_t height,
                          std::int32_t red_direction) {
    PairCount red, blue, green;
    const bool red_down = red_direction == RED_DOWN;
    for (std::uint32_t y = 0; y + 1 < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t i = y * width + x;
            const std::uint32_t p = load(pixels, i);
            const std::uint32_t below = load(pixels, i + width);
            red.add(p, below, red_down ? red_of(p) > red_of(below) : red_of(p) < red_of(below));
            if (x > 0) {
                const std::uint32_t lower_left = load(pixels, i + width - 1);
                blue.add(p, lower_left, blue_of(p) > blue_of(lower_left));
            }
            if (x + 1 < width) {
                const std::uint32_t lower_right = load(pixels, i + width + 1);
                green.add(p, lower_right, green_of(p) > green_of(lower_right));
            }
        }
    }
    return {red.share(), blue.share(), green.share()};
}
