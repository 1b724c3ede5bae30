// Prints, for pictures of every surface, size and red direction, a hash of
// the pixels and of the generator's state after a number of sort
// iterations. Built natively and to WebAssembly; the two outputs must be the
// same line for line. With --chunks the sort runs in uneven pieces, as the
// page's worker runs it; with --palette the program prints the palette.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/image.h"
#include "engine/palette.h"
#include "engine/picture.h"
#include "engine/random.h"
#include "engine/settings.h"

namespace {

constexpr std::uint64_t FNV_OFFSET = 1469598103934665603ull;
constexpr std::uint64_t FNV_PRIME = 1099511628211ull;

std::uint64_t hash_words(std::uint64_t hash, const std::uint32_t* words, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        hash ^= words[i];
        hash *= FNV_PRIME;
    }
    return hash;
}

// Piece sizes that cross the repaint tick (65,536) and the generator's
// block (624 words) at odd places.
constexpr std::uint32_t PIECES[] = {1, 2, 623, 624, 65535, 65537, 99991, 262144, 3, 500009};

void sort_in_pieces(std::uint64_t iterations, bool chunks) {
    if (!chunks) {
        sort_picture(iterations);
        return;
    }
    for (std::size_t k = 0; iterations > 0; k = (k + 1) % std::size(PIECES)) {
        const std::uint64_t piece = PIECES[k] < iterations ? PIECES[k] : iterations;
        sort_picture(piece);
        iterations -= piece;
    }
}

bool check_case(SurfaceKind surface, std::int32_t size, std::int32_t red, std::uint32_t seed, std::uint64_t iterations,
                bool chunks) {
    const PictureRecipe recipe{surface, size, red, seed};
    if ((!image_buffer.drawing_context && !open_drawing_context(nullptr)) || !make_picture(recipe)) {
        std::printf("%s %d %s: no picture\n", surface_name(surface), size, red_direction_name(red));
        return false;
    }
    sort_in_pieces(iterations, chunks);
    const std::size_t count = std::size_t(size) * std::size_t(size);
    const std::uint64_t pixels = hash_words(FNV_OFFSET, image_buffer.pixels, count);
    std::uint64_t generator = hash_words(FNV_OFFSET, random_source.state, RANDOM_STATE_WORDS);
    const std::uint32_t place[] = {std::uint32_t(random_source.left), std::uint32_t(random_source.next)};
    generator = hash_words(generator, place, 2);
    std::printf("%s %d %s seed %u iterations %llu done %llu pixels %016llx generator %016llx\n", surface_name(surface),
                size, red_direction_name(red), seed, static_cast<unsigned long long>(iterations),
                static_cast<unsigned long long>(picture_iterations()), static_cast<unsigned long long>(pixels),
                static_cast<unsigned long long>(generator));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool chunks = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--chunks") == 0) {
            chunks = true;
        } else if (std::strcmp(argv[i], "--palette") == 0) {
            for (int k = 0; k < PALETTE_SIZE; ++k) std::printf("%06x\n", palette_colour(k));
            return 0;
        } else {
            std::fprintf(stderr, "usage: exact_check [--chunks | --palette]\n");
            return 2;
        }
    }
    bool ok = true;
    std::uint32_t seed = 1000;
    for (const NamedCode& surface : SURFACE_NAMES)
        for (const std::int32_t size : {IMAGE_SIZE_SMALL, IMAGE_SIZE_BIG})
            for (const std::int32_t red : {RED_UP, RED_DOWN})
                ok &= check_case(surface.code, size, red, ++seed, 1500001, chunks);
    // Two long runs, where a difference has time to spread over the image.
    ok &= check_case(SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_UP, 2026, 10000000, chunks);
    ok &= check_case(SURFACE_TRIANGLE, IMAGE_SIZE_BIG, RED_DOWN, 7, 10000000, chunks);
    return ok ? 0 : 1;
}
