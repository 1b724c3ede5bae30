#include "engine/sort_worker.h"

#include <atomic>
#include <vector>

#include "engine/draw_stream.h"
#include "engine/image.h"

// Both variants make the generator's words a block of 624 at a time and
// exchange without branches; the exchanges are exactly those of a loop that
// draws one word at a time. The skip variant takes its words as it goes. The
// retry variant, whose redraws are a coin toss, works in two stages: the first
// turns a whole block of words into the draws its iterations keep, without
// touching a pixel; the second runs those iterations strictly in order. The
// stop flag is read before each iteration and before each block is resolved:
// where some pass has no pair of surface pixels its redraws never end, and
// only the read per block lets that worker stop. Draws resolved for
// iterations that never ran are given back to the generator when the loop
// ends.

namespace {

constexpr std::uint32_t SMALL = 256;
constexpr std::uint32_t BIG = 512;
constexpr std::uint32_t QUEUE_SIZE = 2048;  // kept draws; more than a block's worth and the backlog
constexpr std::uint32_t LOW_WATER = 8;      // iterations left when the next block is resolved
constexpr std::uint32_t INDEX_BITS = 10;    // a block index (0-624) fits in 10 bits

// Repeats three accept bits at places 0, 3, ..., 27. A pass bit that starts
// among the first three places stays within those 30 places for FOLD_RUN words.
constexpr std::uint32_t ACCEPT_REPEAT = 0x09249249;
constexpr std::uint32_t FOLD_RUN = 26;

constexpr std::uint32_t RED_PASS = 0;
constexpr std::uint32_t BLUE_PASS = 1;
constexpr std::uint32_t GREEN_PASS = 2;
constexpr std::uint32_t PASS_COUNT = 3;

// For the retry variant: for each draw value r, one bit per pass (bit 0 red,
// 1 blue, 2 green) set when that pass's pair at r is two surface pixels (and,
// for the diagonals, r is not in column 0). Background words never move
// during a sort (only two non-zero words are ever exchanged), so this holds
// for the whole run.
template <std::uint32_t W>
std::vector<std::uint8_t> build_accept_table(const std::uint32_t* pixels) {
    constexpr std::uint32_t B = W * (W - 1);
    std::vector<std::uint8_t> table(B);
    for (std::uint32_t r = 0; r < B; ++r) {
        const bool column_ok = (r % W) != 0;
        const bool red = pixels[r] != 0 && pixels[r + W] != 0;
        const bool blue = column_ok && pixels[r] != 0 && pixels[r + W - 1] != 0;
        const bool green = column_ok && pixels[r - 1] != 0 && pixels[r + W] != 0;
        table[r] = static_cast<std::uint8_t>(red | blue << 1 | green << 2);
    }
    return table;
}

// The retry variant's first stage. The draws each pass kept, in order: red,
// blue, green, red, ... so iteration j is made of kept draws 3j, 3j + 1 and
// 3j + 2. Beside each kept draw, where the generator stood after it
// (block << INDEX_BITS | index).
template <std::uint32_t W>
struct Resolver {
    static constexpr std::uint32_t B = W * (W - 1);

    DrawStream stream;
    std::vector<std::uint8_t> accept_table;
    std::uint32_t kept[QUEUE_SIZE] = {};
    std::uint32_t kept_at[QUEUE_SIZE] = {};
    std::uint32_t kept_count = 0;   // wrapping
    std::uint32_t pass = RED_PASS;  // the pass the next kept draw belongs to
    std::uint32_t positions[RANDOM_STATE_WORDS];
    std::uint32_t accepts[RANDOM_STATE_WORDS];  // the accept bits, repeated every three places

    // Kept draws that belong to whole iterations.
    std::uint32_t complete() const { return kept_count - pass; }

    DrawCursor cursor_after(std::uint32_t kept_index) const {
        const std::uint32_t at = kept_at[kept_index % QUEUE_SIZE];
        const std::uint32_t low_bits = (1u << (32 - INDEX_BITS)) - 1;
        const std::uint32_t behind = (stream.block - (at >> INDEX_BITS)) & low_bits;
        return DrawCursor{stream.block - behind, at & ((1u << INDEX_BITS) - 1)};
    }

    // Resolves words [first, 624) of `words`, the stream's newest block.
    void resolve_block(const std::uint32_t* words, std::uint32_t first) {
        for (std::uint32_t k = first; k < RANDOM_STATE_WORDS; ++k)
            positions[k] = temper_random(words[k]) % B;
        for (std::uint32_t k = first; k < RANDOM_STATE_WORDS; ++k)
            accepts[k] = accept_table[positions[k]] * ACCEPT_REPEAT;
        resolve_kept(first, stream.block << INDEX_BITS);
    }

    // Whether a word is kept is close to a coin toss, so the walk over the
    // block has no branch on it: every word is written at the next place and
    // only a kept one moves the place on. The pass is a single bit that moves
    // one place up at every kept word; the accept bits are repeated every
    // three places, so within a run of FOLD_RUN words the bit needs no
    // wrapping from green back to red, and the step from one word to the next
    // is a test and a select. Between runs the bit goes back to its pass's
    // place among the first three.
    void resolve_kept(std::uint32_t first, std::uint32_t tag) {
        std::uint32_t m = kept_count;
        std::uint32_t pass_bit = 1u << pass;
        for (std::uint32_t k = first; k < RANDOM_STATE_WORDS;) {
            const std::uint32_t run_end = k + FOLD_RUN < RANDOM_STATE_WORDS ? k + FOLD_RUN : RANDOM_STATE_WORDS;
            for (; k < run_end; ++k) {
                kept[m % QUEUE_SIZE] = positions[k];
                kept_at[m % QUEUE_SIZE] = tag | (k + 1);
                const bool keep = (accepts[k] & pass_bit) != 0;
                m += keep;
                pass_bit = keep ? pass_bit << 1 : pass_bit;
            }
            pass_bit = 1u << (static_cast<std::uint32_t>(__builtin_ctz(pass_bit)) % PASS_COUNT);
        }
        kept_count = m;
        pass = static_cast<std::uint32_t>(__builtin_ctz(pass_bit));
    }
};

// Exchanges pixels p and q when `out_of_order` holds for their words (and, in
// the skip variant, both are surface pixels), without a branch: the outcome
// is unpredictable. Every order test asks whether one word's channel is
// greater than the other's; a background word's channels are all 0, so it can
// never be the greater one, and only the word that must be the smaller needs
// checking: CHECK names it. Relaxed atomic access keeps every word whole for a
// paint that reads the image meanwhile.
enum SurfaceCheck { CHECK_NONE, CHECK_UPPER, CHECK_LOWER };

template <SurfaceCheck CHECK, typename OutOfOrder>
inline void order_pair(std::uint32_t* pixels, std::uint32_t p, std::uint32_t q, OutOfOrder out_of_order) {
    std::atomic_ref<std::uint32_t> upper(pixels[p]);
    std::atomic_ref<std::uint32_t> lower(pixels[q]);
    const std::uint32_t a = upper.load(std::memory_order_relaxed);
    const std::uint32_t b = lower.load(std::memory_order_relaxed);
    std::uint32_t exchange = out_of_order(a, b);
    if (CHECK == CHECK_UPPER) exchange &= static_cast<std::uint32_t>(a != 0);
    if (CHECK == CHECK_LOWER) exchange &= static_cast<std::uint32_t>(b != 0);
    const std::uint32_t flip = (a ^ b) & (0u - exchange);
    upper.store(a ^ flip, std::memory_order_relaxed);
    lower.store(b ^ flip, std::memory_order_relaxed);
}

// One repaint tick every 65,536 iterations of an entry; a repaint every
// refresh_interval ticks, the interval read afresh at each tick.
inline void refresh_tick() {
    const auto ticks =
        static_cast<std::uint16_t>(run_state.refresh_counter.fetch_add(1, std::memory_order_relaxed) + 1);
    if (ticks == sort_settings.refresh_interval.load(std::memory_order_relaxed)) {
        request_repaint();
        run_state.refresh_counter.store(0, std::memory_order_relaxed);
    }
}

// The three exchanges of one iteration, for the pairs at draws red, blue
// and green.
template <bool RETRY, bool RED_DOWN, std::uint32_t W>
inline void run_passes(std::uint32_t* pixels, std::uint32_t red, std::uint32_t blue, std::uint32_t green) {
    auto red_out_of_order = [](std::uint32_t a, std::uint32_t b) {
        return static_cast<std::uint32_t>(RED_DOWN ? red_of(a) > red_of(b) : red_of(a) < red_of(b));
    };
    auto blue_out_of_order = [](std::uint32_t a, std::uint32_t b) {
        return static_cast<std::uint32_t>(blue_of(a) > blue_of(b));
    };
    auto green_out_of_order = [](std::uint32_t a, std::uint32_t b) {
        return static_cast<std::uint32_t>(green_of(a) > green_of(b));
    };
    // Out of order means: red down, the upper red greater; red up, the lower
    // red greater; blue and green, the upper value greater. The retry variant
    // only ever draws pairs of surface pixels.
    constexpr SurfaceCheck RED_CHECK = RETRY ? CHECK_NONE : RED_DOWN ? CHECK_LOWER : CHECK_UPPER;
    constexpr SurfaceCheck DIAGONAL_CHECK = RETRY ? CHECK_NONE : CHECK_LOWER;
    order_pair<RED_CHECK>(pixels, red, red + W, red_out_of_order);
    order_pair<DIAGONAL_CHECK>(pixels, blue, blue + W - 1, blue_out_of_order);
    order_pair<DIAGONAL_CHECK>(pixels, green - 1, green + W, green_out_of_order);
}

// Counts iterations toward the next repaint tick: the iteration that finds
// its entry's counter at 0 ticks.
struct Pacing {
    std::uint16_t first_counter;
    std::uint32_t until_tick;
    explicit Pacing(SortEntryIndex entry)
        : first_counter(run_state.iteration_counter[entry]),
          until_tick(static_cast<std::uint16_t>(0u - first_counter)) {}
    void step() {
        if (until_tick == 0) {
            refresh_tick();
            until_tick = 1u << 16;
        }
        --until_tick;
    }
    std::uint16_t counter_after(std::uint64_t iterations) const {
        return static_cast<std::uint16_t>(first_counter + iterations);
    }
};

inline bool keep_running() { return run_state.running.load(std::memory_order_relaxed) != 0; }

// Skip variant: every iteration takes its three words as it goes, the
// diagonal passes redrawing only for column 0 (one word in W), so most
// iterations are simply the next three words of the current block. Nothing is
// drawn ahead, so the generator ends exactly where the last iteration left it.
template <bool RED_DOWN, bool BOUNDED>
void skip_loop(SortEntryIndex entry, std::uint64_t limit) {
    constexpr std::uint32_t W = SMALL;
    constexpr std::uint32_t B = W * (W - 1);
    std::uint32_t* const pixels = image_buffer.pixels;
    auto* stream = new DrawStream;  // some 7 KB: kept off the thread's stack
    open_draw_stream(*stream);
    std::uint32_t positions[RANDOM_STATE_WORDS];
    auto fill_positions = [&](std::uint32_t first) {
        const std::uint32_t* words = current_draw_block(*stream);
        for (std::uint32_t k = first; k < RANDOM_STATE_WORDS; ++k) positions[k] = temper_random(words[k]) % B;
    };
    std::uint32_t k = stream->first_index;
    fill_positions(k);
    auto draw = [&] {
        if (k == RANDOM_STATE_WORDS) {
            next_draw_block(*stream, stream->block);
            fill_positions(0);
            k = 0;
        }
        return positions[k++];
    };
    auto column_ok = [](std::uint32_t r) { return (r & (W - 1)) != 0; };

    Pacing pacing(entry);
    std::uint64_t done = 0;
    while (BOUNDED ? done < limit : keep_running()) {
        pacing.step();
        std::uint32_t red, blue, green;
        if (k + PASS_COUNT <= RANDOM_STATE_WORDS && column_ok(positions[k + 1]) && column_ok(positions[k + 2])) {
            red = positions[k];
            blue = positions[k + 1];
            green = positions[k + 2];
            k += PASS_COUNT;
        } else {
            red = draw();
            do blue = draw(); while (!column_ok(blue));
            do green = draw(); while (!column_ok(green));
        }
        run_passes<false, RED_DOWN, W>(pixels, red, blue, green);
        ++done;
    }

    run_state.iteration_counter[entry] = pacing.counter_after(done);
    close_draw_stream(*stream, DrawCursor{stream->block, k});
    delete stream;
}

// Retry variant: the first stage resolves a block of draws at a time into
// kept draws, the second runs the iterations from them in order.
template <bool RED_DOWN, bool BOUNDED>
void retry_loop(SortEntryIndex entry, std::uint64_t limit) {
    constexpr std::uint32_t W = BIG;
    std::uint32_t* const pixels = image_buffer.pixels;
    auto* resolver = new Resolver<W>;  // some 20 KB: kept off the thread's stack
    resolver->accept_table = build_accept_table<W>(pixels);
    open_draw_stream(resolver->stream);
    const DrawCursor opened{0, resolver->stream.first_index};
    resolver->resolve_block(current_draw_block(resolver->stream), resolver->stream.first_index);

    Pacing pacing(entry);
    std::uint32_t consumed = 0;  // kept draws used by the iterations run (wrapping)
    std::uint64_t done = 0;      // iterations run
    auto completed_cursor = [&] { return done == 0 ? opened : resolver->cursor_after(consumed - 1); };

    for (;;) {
        if (BOUNDED && done == limit) break;
        // Resolve the next block when few iterations are left queued, but
        // only once all of them come from the newest block: the generator
        // must stay restorable to the end of any of them.
        const std::uint32_t queued = resolver->complete() - consumed;
        if (!BOUNDED && !keep_running()) break;
        if (queued <= PASS_COUNT * LOW_WATER &&
            (queued == 0 || resolver->cursor_after(consumed + GREEN_PASS).block == resolver->stream.block)) {
            resolver->resolve_block(next_draw_block(resolver->stream, completed_cursor().block), 0);
            continue;
        }
        pacing.step();
        run_passes<true, RED_DOWN, W>(pixels, resolver->kept[consumed % QUEUE_SIZE],
                                      resolver->kept[(consumed + 1) % QUEUE_SIZE],
                                      resolver->kept[(consumed + 2) % QUEUE_SIZE]);
        consumed += PASS_COUNT;
        ++done;
    }

    run_state.iteration_counter[entry] = pacing.counter_after(done);
    close_draw_stream(resolver->stream, completed_cursor());
    delete resolver;
}

template <bool BOUNDED>
void run_entry(SortEntryIndex entry, std::uint64_t limit) {
    switch (entry) {
    case SORT_SKIP_RED_DOWN: skip_loop<true, BOUNDED>(entry, limit); break;
    case SORT_SKIP_RED_UP: skip_loop<false, BOUNDED>(entry, limit); break;
    case SORT_RETRY_RED_DOWN: retry_loop<true, BOUNDED>(entry, limit); break;
    case SORT_RETRY_RED_UP: retry_loop<false, BOUNDED>(entry, limit); break;
    }
}

}  // namespace

void sort_worker_skip_red_down() { run_entry<false>(SORT_SKIP_RED_DOWN, 0); }
void sort_worker_skip_red_up() { run_entry<false>(SORT_SKIP_RED_UP, 0); }
void sort_worker_retry_red_down() { run_entry<false>(SORT_RETRY_RED_DOWN, 0); }
void sort_worker_retry_red_up() { run_entry<false>(SORT_RETRY_RED_UP, 0); }

SortEntryIndex choose_sort_entry_index(std::int32_t image_size, std::int32_t red_direction) {
    if (image_size == IMAGE_SIZE_BIG) return red_direction == RED_DOWN ? SORT_RETRY_RED_DOWN : SORT_RETRY_RED_UP;
    return red_direction == RED_DOWN ? SORT_SKIP_RED_DOWN : SORT_SKIP_RED_UP;
}

WorkerEntry choose_sort_entry(std::int32_t image_size, std::int32_t red_direction) {
    constexpr WorkerEntry ENTRIES[SORT_ENTRY_COUNT] = {sort_worker_skip_red_down, sort_worker_skip_red_up,
                                                       sort_worker_retry_red_down, sort_worker_retry_red_up};
    return ENTRIES[choose_sort_entry_index(image_size, red_direction)];
}

void run_sort_iterations(SortEntryIndex entry, std::uint64_t iterations) {
    if (iterations == 0) return;
    run_entry<true>(entry, iterations);
}
