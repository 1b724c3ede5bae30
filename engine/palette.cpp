#include "engine/palette.h"

#include "engine/global_memory.h"
#include "engine/random.h"
#include "engine/image_geometry.h"

std::uint32_t* palette = nullptr;
std::uint32_t* use_counts = nullptr;

namespace {

// The two ladders a channel climbs and descends between a primary and the
// next: doubling up to 128, then halving steps toward 255, and back.
constexpr std::uint32_t RISING[16] = {0, 1, 2, 4, 8, 16, 32, 64, 128, 192, 224, 240, 248, 252, 254, 255};
constexpr std::uint32_t FALLING[14] = {254, 252, 248, 240, 224, 192, 128, 64, 32, 16, 8, 4, 2, 1};
constexpr int SEGMENT_SIZE = 30;
constexpr int RED_SHIFT = 16;
constexpr int GREEN_SHIFT = 8;
constexpr int BLUE_SHIFT = 0;
// (P, Q) for the three segments: red to green, green to blue, blue to red.
constexpr int SEGMENT_SHIFTS[3][2] = {{RED_SHIFT, GREEN_SHIFT}, {GREEN_SHIFT, BLUE_SHIFT}, {BLUE_SHIFT, RED_SHIFT}};

}  // namespace

std::uint32_t palette_colour(int index) {
    const int segment = index / SEGMENT_SIZE;
    const int step = index % SEGMENT_SIZE;
    const int p_shift = SEGMENT_SHIFTS[segment][0];
    const int q_shift = SEGMENT_SHIFTS[segment][1];
    if (step < 16) return (255u << p_shift) | (RISING[step] << q_shift);
    return (FALLING[step - 16] << p_shift) | (255u << q_shift);
}

int build_palette() {
    release_palette();
    auto* table = static_cast<std::uint32_t*>(allocate_zeroed(PALETTE_SIZE * sizeof(std::uint32_t), ALLOC_PALETTE));
    if (!table) return 0;
    for (int i = 0; i < PALETTE_SIZE; ++i) table[i] = palette_colour(i);
    palette = table;
    return PALETTE_SIZE;
}

void release_palette() {
    release_block(palette);
    palette = nullptr;
}

std::uint32_t pick_colour(int n) {
    // One pass finds the largest and the smallest count, the first entry
    // holding each, and how many entries hold each. The largest starts at 0
    // with no entry, so with all counts 0 every entry stands at it.
    std::uint32_t largest = 0;
    int largest_index = -1;
    int at_largest = 0;
    std::uint32_t smallest = image_geometry.width * image_geometry.height;
    int smallest_index = 0;
    int at_smallest = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t count = use_counts[i];
        if (count > largest) {
            largest = count;
            largest_index = i;
            at_largest = 1;
        } else if (count == largest) {
            ++at_largest;
        }
        if (count < smallest) {
            smallest = count;
            smallest_index = i;
            at_smallest = 1;
        } else if (count == smallest) {
            ++at_smallest;
        }
    }

    int chosen;
    const auto bound = static_cast<std::uint32_t>(n);
    if (at_smallest == 1) {
        chosen = smallest_index;
    } else if (at_largest == 1) {
        // A lone most-used entry is never chosen.
        do {
            chosen = static_cast<int>(draw_random() % bound);
        } while (chosen == largest_index);
    } else {
        chosen = static_cast<int>(draw_random() % bound);
    }
    ++use_counts[chosen];
    return palette[chosen];
}
