// The sort written out plainly, one draw at a time, straight from the
// program's description: the oracle the shipped loop is checked against in the
// tests, and the baseline it is measured against in the benchmarks.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/image.h"
#include "engine/random.h"

// Pacing is left out: it neither draws nor moves pixels.
inline void reference_sort(std::vector<std::uint32_t>& px, std::uint32_t w, bool retry, bool red_down,
                           std::uint64_t n) {
    const std::uint32_t b = w * (w - 1);
    auto draw = [&] { return draw_random() % b; };
    auto both_surface = [&](std::uint32_t p, std::uint32_t q) { return px[p] != 0 && px[q] != 0; };
    for (std::uint64_t i = 0; i < n; ++i) {
        // Red, vertical.
        std::uint32_t r = draw();
        while (retry && !both_surface(r, r + w)) r = draw();
        if (both_surface(r, r + w)) {
            const std::uint32_t upper = red_of(px[r]), lower = red_of(px[r + w]);
            if (red_down ? upper > lower : upper < lower) std::swap(px[r], px[r + w]);
        }
        // Blue, down-left.
        for (;;) {
            r = draw();
            while (r % w == 0) r = draw();
            if (!retry || both_surface(r, r + w - 1)) break;
        }
        if (both_surface(r, r + w - 1) && blue_of(px[r]) > blue_of(px[r + w - 1])) std::swap(px[r], px[r + w - 1]);
        // Green, down-right.
        for (;;) {
            r = draw();
            while (r % w == 0) r = draw();
            if (!retry || both_surface(r - 1, r + w)) break;
        }
        if (both_surface(r - 1, r + w) && green_of(px[r - 1]) > green_of(px[r + w])) std::swap(px[r - 1], px[r + w]);
    }
}
