#include "engine/sort_worker.h"

#include <atomic>
#include <vector>

#include "engine/draw_stream.h"
#include "engine/image.h"

// The loop resolves each iteration's three pairs from the draws a few
// iterations before it exchanges them, so the six pixel lines can be fetched
// in the meantime. The exchanges happen strictly in iteration order, and the
// stop flag is read before each iteration's exchanges, exactly as if each
// iteration drew its own positions; draws resolved ahead of an iteration that
// never ran are given back to the generator when the loop ends.

namespace {

constexpr std::uint32_t SMALL = 256;
constexpr std::uint32_t BIG = 512;
constexpr std::uint32_t LOOKAHEAD = 16;  // iterations resolved ahead; a power of two

enum Pass { RED_PASS, BLUE_PASS, GREEN_PASS, PASS_COUNT };

struct Resolved {
    std::uint32_t p[PASS_COUNT];  // upper pixel of each pair
    DrawCursor end;               // the draw position after this iteration
};

// For the retry variant: one bit per draw position r and pass, set when the
// pass's pair at r is two surface pixels (and, for the diagonals, r is not in
// column 0). Background words never move during a sort (only two non-zero
// words are ever exchanged), so this is fixed for the whole run.
struct PairMask {
    std::vector<std::uint32_t> bits[PASS_COUNT];
    bool test(Pass pass, std::uint32_t r) const { return (bits[pass][r >> 5] >> (r & 31)) & 1u; }
};

template <std::uint32_t W>
void build_pair_mask(PairMask& mask, const std::uint32_t* pixels) {
    constexpr std::uint32_t B = W * (W - 1);
    for (auto& bits : mask.bits) bits.assign((B + 31) / 32, 0);
    for (std::uint32_t r = 0; r < B; ++r) {
        const bool column_ok = (r % W) != 0;
        const bool red = pixels[r] != 0 && pixels[r + W] != 0;
        const bool blue = column_ok && pixels[r] != 0 && pixels[r + W - 1] != 0;
        const bool green = column_ok && pixels[r - 1] != 0 && pixels[r + W] != 0;
        const std::uint32_t bit = 1u << (r & 31);
        if (red) mask.bits[RED_PASS][r >> 5] |= bit;
        if (blue) mask.bits[BLUE_PASS][r >> 5] |= bit;
        if (green) mask.bits[GREEN_PASS][r >> 5] |= bit;
    }
}

// Draws r for one pass: the skip variant redraws only for the column rule,
// the retry variant also until the pair is two surface pixels. False when the
// stream cannot give a word now.
template <bool RETRY, std::uint32_t W>
bool resolve_pass(DrawStream& stream, const PairMask& mask, Pass pass, std::uint32_t& r) {
    constexpr std::uint32_t B = W * (W - 1);
    for (;;) {
        if (!draw_available(stream)) return false;
        r = take_draw(stream) % B;
        if (RETRY) {
            if (mask.test(pass, r)) return true;
        } else if (pass == RED_PASS || (r & (W - 1)) != 0) {
            return true;
        }
    }
}

template <bool RETRY, std::uint32_t W>
bool resolve_iteration(DrawStream& stream, const PairMask& mask, const std::uint32_t* pixels, Resolved& out) {
    const DrawCursor start = stream.cursor;
    std::uint32_t r[PASS_COUNT];
    for (int pass = RED_PASS; pass < PASS_COUNT; ++pass) {
        if (!resolve_pass<RETRY, W>(stream, mask, static_cast<Pass>(pass), r[pass])) {
            rewind_draw_stream(stream, start);  // give the partial iteration's draws back
            return false;
        }
    }
    out.p[RED_PASS] = r[RED_PASS];
    out.p[BLUE_PASS] = r[BLUE_PASS];
    out.p[GREEN_PASS] = r[GREEN_PASS] - 1;
    out.end = stream.cursor;
    __builtin_prefetch(pixels + out.p[RED_PASS]);
    __builtin_prefetch(pixels + out.p[RED_PASS] + W);
    __builtin_prefetch(pixels + out.p[BLUE_PASS]);
    __builtin_prefetch(pixels + out.p[BLUE_PASS] + W - 1);
    __builtin_prefetch(pixels + out.p[GREEN_PASS]);
    __builtin_prefetch(pixels + out.p[GREEN_PASS] + W + 1);
    return true;
}

// Exchanges pixels p and q when `out_of_order` holds for their words (and, in
// the skip variant, both are surface pixels), without a branch: the
// comparison's outcome is unpredictable. Relaxed atomic access keeps every
// word whole for a paint that reads the image meanwhile.
template <bool CHECK_SURFACE, typename OutOfOrder>
inline void order_pair(std::uint32_t* pixels, std::uint32_t p, std::uint32_t q, OutOfOrder out_of_order) {
    std::atomic_ref<std::uint32_t> upper(pixels[p]);
    std::atomic_ref<std::uint32_t> lower(pixels[q]);
    const std::uint32_t a = upper.load(std::memory_order_relaxed);
    const std::uint32_t b = lower.load(std::memory_order_relaxed);
    std::uint32_t exchange = out_of_order(a, b);
    if (CHECK_SURFACE) exchange &= static_cast<std::uint32_t>(a != 0) & static_cast<std::uint32_t>(b != 0);
    const std::uint32_t flip = (a ^ b) & (0u - exchange);
    upper.store(a ^ flip, std::memory_order_relaxed);
    lower.store(b ^ flip, std::memory_order_relaxed);
}

// One repaint tick every 65,536 iterations of an entry; a repaint every
// refresh_interval ticks, the interval read afresh at each tick.
inline void refresh_tick() {
    const auto ticks = static_cast<std::uint16_t>(run_state.refresh_counter.fetch_add(1, std::memory_order_relaxed) + 1);
    if (ticks == sort_settings.refresh_interval.load(std::memory_order_relaxed)) {
        request_repaint();
        run_state.refresh_counter.store(0, std::memory_order_relaxed);
    }
}

template <bool RETRY, bool RED_DOWN, std::uint32_t W, bool BOUNDED>
void sort_loop(SortEntryIndex entry, std::uint64_t limit) {
    std::uint32_t* const pixels = image_buffer.pixels;
    PairMask mask;
    if (RETRY) build_pair_mask<W>(mask, pixels);

    DrawStream stream;
    open_draw_stream(stream);
    DrawCursor completed = stream.cursor;

    Resolved ring[LOOKAHEAD];
    std::uint32_t head = 0;  // next iteration to run
    std::uint32_t tail = 0;  // next iteration to resolve
    std::uint64_t resolved = 0;
    std::uint16_t counter = run_state.iteration_counter[entry];

    auto red_out_of_order = [](std::uint32_t a, std::uint32_t b) {
        return static_cast<std::uint32_t>(RED_DOWN ? red_of(a) > red_of(b) : red_of(a) < red_of(b));
    };
    auto blue_out_of_order = [](std::uint32_t a, std::uint32_t b) {
        return static_cast<std::uint32_t>(blue_of(a) > blue_of(b));
    };
    auto green_out_of_order = [](std::uint32_t a, std::uint32_t b) {
        return static_cast<std::uint32_t>(green_of(a) > green_of(b));
    };

    for (;;) {
        while (tail - head < LOOKAHEAD && (!BOUNDED || resolved < limit)) {
            if (!resolve_iteration<RETRY, W>(stream, mask, pixels, ring[tail % LOOKAHEAD])) break;
            ++tail;
            ++resolved;
        }
        if (head == tail) break;  // only when a bounded run is complete
        if (!BOUNDED && run_state.running.load(std::memory_order_relaxed) == 0) break;

        if (counter++ == 0) refresh_tick();

        const Resolved& it = ring[head % LOOKAHEAD];
        order_pair<!RETRY>(pixels, it.p[RED_PASS], it.p[RED_PASS] + W, red_out_of_order);
        order_pair<!RETRY>(pixels, it.p[BLUE_PASS], it.p[BLUE_PASS] + W - 1, blue_out_of_order);
        order_pair<!RETRY>(pixels, it.p[GREEN_PASS], it.p[GREEN_PASS] + W + 1, green_out_of_order);
        completed = it.end;
        stream.oldest_needed_block = completed.block;
        ++head;
    }

    run_state.iteration_counter[entry] = counter;
    close_draw_stream(stream, completed);
}

template <bool BOUNDED>
void run_entry(SortEntryIndex entry, std::uint64_t limit) {
    switch (entry) {
    case SORT_SKIP_RED_DOWN: sort_loop<false, true, SMALL, BOUNDED>(entry, limit); break;
    case SORT_SKIP_RED_UP: sort_loop<false, false, SMALL, BOUNDED>(entry, limit); break;
    case SORT_RETRY_RED_DOWN: sort_loop<true, true, BIG, BOUNDED>(entry, limit); break;
    case SORT_RETRY_RED_UP: sort_loop<true, false, BIG, BOUNDED>(entry, limit); break;
    }
}

}  // namespace

void sort_worker_skip_red_down() { run_entry<false>(SORT_SKIP_RED_DOWN, 0); }
void sort_worker_skip_red_up() { run_entry<false>(SORT_SKIP_RED_UP, 0); }
void sort_worker_retry_red_down() { run_entry<false>(SORT_RETRY_RED_DOWN, 0); }
void sort_worker_retry_red_up() { run_entry<false>(SORT_RETRY_RED_UP, 0); }

WorkerEntry choose_sort_entry(std::int32_t image_size, std::int32_t red_direction) {
    if (image_size == IMAGE_SIZE_BIG)
        return red_direction == RED_DOWN ? sort_worker_retry_red_down : sort_worker_retry_red_up;
    return red_direction == RED_DOWN ? sort_worker_skip_red_down : sort_worker_skip_red_up;
}

void run_sort_iterations(SortEntryIndex entry, std::uint64_t iterations) {
    if (iterations == 0) return;
    run_entry<true>(entry, iterations);
}
