// Prints, for pictures of every surface, size and red direction, a hash of
// the pixels and of the generator's state after a number of sort
// iterations. Built natively and to WebAssembly; the two outputs must be the
// same line for line. With --chunks the sort runs in uneven pieces, as the
// page's worker runs it; with --palette the program prints the palette; with
// --kernels it checks the block kernels of every path the build runs.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "engine/draw_kernels.h"
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

// The word whose tempered value is `y`: each step of the tempering undone by
// repeating it on its own output until every shifted-in bit is recovered.
std::uint32_t untemper(std::uint32_t y) {
    auto undo_right = [](std::uint32_t v, int shift) {
        std::uint32_t x = v;
        for (int bits = 0; bits < 32; bits += shift) x = v ^ (x >> shift);
        return x;
    };
    auto undo_left = [](std::uint32_t v, int shift, std::uint32_t mask) {
        std::uint32_t x = v;
        for (int bits = 0; bits < 32; bits += shift) x = v ^ ((x << shift) & mask);
        return x;
    };
    y = undo_right(y, 18);
    y = undo_left(y, 15, RANDOM_TEMPER_C);
    y = undo_left(y, 7, RANDOM_TEMPER_B);
    return undo_right(y, 11);
}

// Words whose tempered values are where a remainder is easiest to get wrong:
// every multiple of either bound, the value just below each, and the largest.
std::vector<std::uint32_t> edge_words() {
    std::vector<std::uint32_t> words;
    for (const std::uint64_t bound : {DRAW_BOUND_SMALL, DRAW_BOUND_BIG}) {
        for (std::uint64_t multiple = 0; multiple <= 0xFFFFFFFFu; multiple += bound) {
            words.push_back(untemper(static_cast<std::uint32_t>(multiple)));
            if (multiple > 0) words.push_back(untemper(static_cast<std::uint32_t>(multiple - 1)));
        }
    }
    words.push_back(untemper(0xFFFFFFFFu));
    return words;
}

// Bits 0 to 623 of a kept set, one a word, so the hash does not depend on the
// width of the build's bit words.
std::uint64_t hash_kept(std::uint64_t hash, const PassBits* bits) {
    for (std::uint32_t k = 0; k < RANDOM_STATE_WORDS; ++k) {
        const std::uint32_t bit = static_cast<std::uint32_t>(bits[k / PASS_BITS_WIDTH] >> (k % PASS_BITS_WIDTH)) & 1u;
        hash = hash_words(hash, &bit, 1);
    }
    return hash;
}

// A hash of everything the kernels write, fed the edge words from a few
// starting places, random accept bytes and a run of regenerated blocks.
std::uint64_t hash_kernels(const DrawKernels& kernels, const std::vector<std::uint32_t>& edges) {
    static std::vector<std::uint8_t> table(DRAW_BOUND_BIG);
    for (std::uint32_t r = 0; r < DRAW_BOUND_BIG; ++r) table[r] = static_cast<std::uint8_t>((r * 2654435761u) >> 29);
    std::uint64_t hash = FNV_OFFSET;
    std::uint32_t words[RANDOM_STATE_WORDS] = {};
    std::uint32_t positions[RANDOM_STATE_WORDS];
    alignas(16) std::uint8_t accepts[RANDOM_STATE_WORDS];
    constexpr std::uint32_t FIRSTS[] = {0, 1, 2, 3, 5, 622};
    std::size_t next = 0;
    for (std::size_t round = 0; next < edges.size(); ++round) {
        const std::uint32_t first = FIRSTS[round % std::size(FIRSTS)];
        for (std::uint32_t k = first; k < RANDOM_STATE_WORDS; ++k) words[k] = edges[next++ % edges.size()];
        kernels.positions_small(words, positions, first);
        hash = hash_words(hash, positions + first, RANDOM_STATE_WORDS - first);
        kernels.accepts_big(words, positions, accepts, table.data(), first);
        hash = hash_words(hash, positions + first, RANDOM_STATE_WORDS - first);
        for (std::uint32_t k = first; k < RANDOM_STATE_WORDS; ++k) {
            const std::uint32_t accept = accepts[k];
            hash = hash_words(hash, &accept, 1);
        }
    }
    PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS];
    std::uint32_t noise = 12345;
    for (int round = 0; round < 64; ++round) {
        for (std::uint8_t& accept : accepts) {
            noise = noise * 1664525u + 1013904223u;
            accept = static_cast<std::uint8_t>(round == 0 ? 0 : round == 1 ? 7 : noise >> 29);
        }
        kernels.mark_kept(accepts, kept_by);
        for (const PassBits* bits : kept_by) hash = hash_kept(hash, bits);
    }
    std::uint32_t blocks[2][RANDOM_STATE_WORDS];
    fill_random_state(blocks[0], 2026);
    for (int block = 1; block <= 8; ++block) {
        kernels.regenerate(blocks[(block - 1) & 1], blocks[block & 1]);
        hash = hash_words(hash, blocks[block & 1], RANDOM_STATE_WORDS);
    }
    return hash;
}

// One line for each block path this build runs: its name and the hash of
// its results, which must be the same for every path of every build.
bool check_kernels() {
    for (const std::uint32_t value : {0u, 1u, 0x80000000u, 0xFFFFFFFFu, DRAW_BOUND_BIG * 7u + 5u}) {
        if (temper_random(untemper(value)) != value) {
            std::printf("untemper does not undo the tempering of %08x\n", value);
            return false;
        }
    }
    const std::vector<std::uint32_t> edges = edge_words();
    constexpr struct {
        DrawKernelPath path;
        const char* name;
    } PATHS[] = {{DRAW_PATH_SCALAR, "scalar"}, {DRAW_PATH_BASELINE, "baseline"}, {DRAW_PATH_AVX2, "avx2"}};
    for (const auto& path : PATHS) {
        if (!force_draw_path(path.path)) continue;
        std::printf("kernels %s %016llx\n", path.name,
                    static_cast<unsigned long long>(hash_kernels(choose_draw_kernels(), edges)));
    }
    force_draw_path(DRAW_PATH_AUTOMATIC);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool chunks = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--chunks") == 0) {
            chunks = true;
        } else if (std::strcmp(argv[i], "--kernels") == 0) {
            return check_kernels() ? 0 : 1;
        } else if (std::strcmp(argv[i], "--palette") == 0) {
            for (int k = 0; k < PALETTE_SIZE; ++k) std::printf("%06x\n", palette_colour(k));
            return 0;
        } else {
            std::fprintf(stderr, "usage: exact_check [--chunks | --palette | --kernels]\n");
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
