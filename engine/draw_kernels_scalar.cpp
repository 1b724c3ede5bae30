// The scalar path: the plain loops, one word at a time, on any processor. The
// build compiles this file without the vectoriser, so it is the measure of
// what the other paths gain, and the path each of them must match.
#include "engine/draw_loops.h"

namespace {

void regenerate_scalar(const std::uint32_t* old, std::uint32_t* fresh) { twist_random_block(old, fresh); }
void positions_small_scalar(const std::uint32_t* words, std::uint32_t* positions, std::uint32_t first) {
    temper_to_positions<DRAW_BOUND_SMALL>(words, positions, first);
}
void accepts_big_scalar(const std::uint32_t* words, std::uint32_t* positions, std::uint8_t* accepts,
                        const std::uint8_t* table, std::uint32_t first) {
    temper_to_accepts(words, positions, accepts, table, first);
}
void mark_kept_scalar(const std::uint8_t* accepts, PassBits kept_by[KEPT_PASSES][PASS_BITS_WORDS]) {
    gather_kept_bits(accepts, kept_by);
}

}  // namespace

const DrawKernels SCALAR_DRAW_KERNELS{regenerate_scalar, positions_small_scalar, accepts_big_scalar, mark_kept_scalar};
