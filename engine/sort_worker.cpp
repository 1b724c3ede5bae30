#include "engine/sort_worker.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "engine/draw_stream.h"
#include "engine/image.h"
#include "engine/relaxed_word.h"
#include "engine/retry_draws.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"

// Both variants make the generator's words a block of 624 at a time and
// exchange without branches; the exchanges are exactly those of a loop that
// draws one word at a time. The skip variant takes its words as it goes. The
// retry variant, whose redraws are a coin toss, works in two stages: the first
// turns a whole block of words into the draws its iterations keep, without
// touching a pixel; the second runs those iterations strictly in order.
// Iterations run in groups of at most a block's worth (some 200, well under
// a microsecond), with nothing checked inside a group but the skip variant's
// redraws; the stop flag is read before each group and before each block is
// resolved: where some pass has no pair of surface pixels its redraws never
// end, and only the read per block lets that worker stop. A stop always falls
// between two iterations, and a stop made during a repaint right after the
// iteration that repainted. Draws resolved for iterations that never ran are
// given back to the generator when the loop ends.

namespace {

constexpr std::uint32_t PASS_COUNT = 3;

// Iterations run by any entry since the last reset. Only the thread that
// sorts writes it, so a relaxed load and store add to it without a
// read-modify-write.
std::atomic<std::uint64_t> sorted_iteration_count{0};

// Orders the pair of words at `upper_word` and `upper_word + OFFSET` in one
// channel, without a branch, since the outcome is unpredictable. One word of
// the pair should hold the greater value (for red up the upper one, otherwise
// the lower one); the pair is exchanged when the other word's channel is
// greater than its. A background word's channels are all 0, so it can never
// be the greater one, and only the word that should hold more needs the
// surface test: in the skip variant a background word there compares as all
// ones, which no channel exceeds, so that pair is left as it is, exactly the
// skip rule. The retry variant only ever draws pairs of surface pixels.
// Relaxed atomic access keeps every word whole for a paint that reads the
// image meanwhile.
template <std::uint32_t SHIFT, bool UPPER_KEEPS_MORE, bool CHECK, std::int32_t OFFSET>
inline void order_pair(std::uint32_t* upper_word) {
    std::uint32_t& upper = upper_word[0];
    std::uint32_t& lower = upper_word[OFFSET];
    const std::uint32_t a = load_relaxed(upper);
    const std::uint32_t b = load_relaxed(lower);
    const std::uint32_t keeps_more = UPPER_KEEPS_MORE ? a : b;
    const std::uint32_t keeps_less = UPPER_KEEPS_MORE ? b : a;
    // The channel compared in place, not shifted down: the same order, one
    // instruction fewer where a byte register cannot stand for it.
    constexpr std::uint32_t CHANNEL = 0xFFu << SHIFT;
    std::uint32_t floor = keeps_more & CHANNEL;
    if (CHECK) floor |= 0u - static_cast<std::uint32_t>(keeps_more == 0);
    const std::uint32_t exchange = (keeps_less & CHANNEL) > floor;
    // A select here would be compiled as a branch; the mask keeps it out.
    const std::uint32_t flip = (a ^ b) & (0u - exchange);
    store_relaxed(upper, a ^ flip);
    store_relaxed(lower, b ^ flip);
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
// and green: red down moves the larger red value down the image, red up moves
// it up; blue moves toward the lower left, green toward the lower right.
template <bool RETRY, bool RED_DOWN, std::uint32_t W>
inline void run_passes(std::uint32_t* pixels, std::uint32_t red, std::uint32_t blue, std::uint32_t green) {
    constexpr bool CHECK = !RETRY;
    constexpr std::int32_t DOWN = W;
    order_pair<16, !RED_DOWN, CHECK, DOWN>(pixels + red);
    order_pair<0, false, CHECK, DOWN - 1>(pixels + blue);
    order_pair<8, false, CHECK, DOWN + 1>(pixels + green - 1);
}

// Counts iterations toward the next repaint tick (the iteration that finds
// its entry's counter at 0 ticks) and into the progress count. The loops run
// iterations in groups that never cross a tick.
struct Pacing {
    std::uint16_t first_counter;
    std::uint32_t until_tick;
    explicit Pacing(SortEntryIndex entry)
        : first_counter(run_state.iteration_counter[entry]),
          until_tick(static_cast<std::uint16_t>(0u - first_counter)) {}
    // Opens the next group of iterations: ticks (and so perhaps repaints)
    // when the group's first iteration is the one that finds the counter at
    // 0, and gives how many iterations the group may run (at least one).
    // The iteration that ticked is a group of its own: a stop made during
    // its repaint ends the worker right after it, since `running` is read
    // before every group.
    std::uint32_t tick_and_room() {
        if (until_tick != 0) return until_tick;
        refresh_tick();
        until_tick = 1u << 16;
        return 1;
    }
    // Counts a group that ran.
    void ran(std::uint32_t iterations) {
        until_tick -= iterations;
        sorted_iteration_count.store(sorted_iteration_count.load(std::memory_order_relaxed) + iterations,
                                     std::memory_order_relaxed);
    }
    std::uint16_t counter_after(std::uint32_t iterations) const {
        return static_cast<std::uint16_t>(first_counter + iterations);
    }
};

inline bool keep_running() { return run_state.running.load(std::memory_order_relaxed) != 0; }

// Skip variant: every iteration takes its three words as it goes, the
// diagonal passes redrawing only for column 0 (one word in W), so most
// iterations are simply the next three words of the current block, and run
// in groups with nothing else to check. Nothing is drawn ahead, so the
// generator ends exactly where the last iteration left it.
template <bool RED_DOWN, bool BOUNDED>
void skip_loop(SortEntryIndex entry, std::uint32_t limit) {
    constexpr std::uint32_t W = IMAGE_SIZE_SMALL;
    std::uint32_t* const pixels = image_buffer.pixels;
    const std::unique_ptr<DrawStream> stream(new DrawStream);  // some 7 KB: kept off the thread's stack
    open_draw_stream(*stream);
    std::uint32_t positions[RANDOM_STATE_WORDS];
    auto fill_positions = [&](std::uint32_t first) {
        stream->kernels->positions_small(current_draw_block(*stream), positions, first);
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
    std::uint32_t done = 0;  // wraps in a worker, which needs only its count modulo 65,536
    while (BOUNDED ? done < limit : keep_running()) {
        // A group of plain iterations, up to the block's end, the next tick
        // or the limit, or an iteration that must redraw.
        std::uint32_t room = std::min(pacing.tick_and_room(), (RANDOM_STATE_WORDS - k) / PASS_COUNT);
        if (BOUNDED) room = std::min(room, limit - done);
        std::uint32_t ran = 0;
        for (const std::uint32_t* words = positions + k; ran < room; ++ran, words += PASS_COUNT) {
            if (!column_ok(words[1]) || !column_ok(words[2])) [[unlikely]]
                break;
            run_passes<false, RED_DOWN, W>(pixels, words[0], words[1], words[2]);
        }
        k += ran * PASS_COUNT;
        done += ran;
        pacing.ran(ran);
        if (ran == room && room != 0) continue;

        // One iteration that redraws or crosses into the next block; the
        // room above left it inside the tick and the limit.
        const std::uint32_t red = draw();
        std::uint32_t blue, green;
        do blue = draw();
        while (!column_ok(blue));
        do green = draw();
        while (!column_ok(green));
        run_passes<false, RED_DOWN, W>(pixels, red, blue, green);
        ++done;
        pacing.ran(1);
    }

    run_state.iteration_counter[entry] = pacing.counter_after(done);
    close_draw_stream(*stream, DrawCursor{stream->block, k});
}

// Retry variant: the first stage resolves a block of draws at a time into
// whole iterations, the second runs them in order. The generator is put back
// after the last iteration run, whatever was resolved beyond it.
template <bool RED_DOWN, bool BOUNDED>
void retry_loop(SortEntryIndex entry, std::uint32_t limit) {
    std::uint32_t* const pixels = image_buffer.pixels;
    const std::unique_ptr<RetryDraws> draws(new RetryDraws);  // over 10 KB: kept off the thread's stack
    open_retry_draws(*draws, pixels);
    DrawCursor completed{0, draws->stream.first_index};  // the generator after the last iteration run
    std::uint32_t next = 0;                              // the first ready iteration not yet run
    // Moves `completed` past the last ready iteration that ran.
    auto record_completed = [&] {
        if (next > 0) completed = DrawCursor{draws->stream.block, draws->ready[next - 1].end_index};
    };

    Pacing pacing(entry);
    std::uint32_t done = 0;  // wraps in a worker, which needs only its count modulo 65,536
    while (BOUNDED ? done < limit : keep_running()) {
        if (next == draws->ready_count) {
            record_completed();
            resolve_next_block(*draws, completed.block);
            next = 0;
            continue;
        }
        // The ready iterations in one group, up to the next tick or the limit.
        std::uint32_t room = std::min(pacing.tick_and_room(), draws->ready_count - next);
        if (BOUNDED) room = std::min(room, limit - done);
        for (const KeptIteration* iteration = draws->ready + next; iteration != draws->ready + next + room;
             ++iteration) {
            run_passes<true, RED_DOWN, IMAGE_SIZE_BIG>(pixels, iteration->red, iteration->blue, iteration->green);
        }
        next += room;
        done += room;
        pacing.ran(room);
    }
    record_completed();

    run_state.iteration_counter[entry] = pacing.counter_after(done);
    close_draw_stream(draws->stream, completed);
}

template <bool BOUNDED>
void run_entry(SortEntryIndex entry, std::uint32_t limit) {
    switch (entry) {
        case SORT_SKIP_RED_DOWN:
            skip_loop<true, BOUNDED>(entry, limit);
            break;
        case SORT_SKIP_RED_UP:
            skip_loop<false, BOUNDED>(entry, limit);
            break;
        case SORT_RETRY_RED_DOWN:
            retry_loop<true, BOUNDED>(entry, limit);
            break;
        case SORT_RETRY_RED_UP:
            retry_loop<false, BOUNDED>(entry, limit);
            break;
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

std::uint64_t sorted_iterations() { return sorted_iteration_count.load(std::memory_order_relaxed); }

void reset_sorted_iterations() { sorted_iteration_count.store(0, std::memory_order_relaxed); }

void run_sort_iterations(SortEntryIndex entry, std::uint64_t iterations) {
    // The loops count in 32 bits, which a 32-bit build does in one register;
    // runs in pieces continue exactly where the last one stopped.
    while (iterations > 0) {
        const std::uint32_t piece = iterations > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(iterations);
        run_entry<true>(entry, piece);
        iterations -= piece;
    }
}
