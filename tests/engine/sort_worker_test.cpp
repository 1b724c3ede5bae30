// The sort workers: the shipped loops against the plain reference bit for
// bit, their exchanges, their pacing of repaints and their stopping.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "engine/disorder.h"
#include "engine/draw_kernels.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/random.h"
#include "engine/retry_draws.h"
#include "engine/sort_settings.h"
#include "engine/sort_worker.h"
#include "engine/worker.h"
#include "tests/engine/reference_sort.h"
#include "tests/engine/test_support.h"

namespace {

using SortTest = EngineTest;

struct EntryCase {
    SortEntryIndex index;
    bool retry;
    bool red_down;
    std::int32_t size;
};
constexpr EntryCase ENTRIES[] = {{SORT_SKIP_RED_DOWN, false, true, 256},
                                 {SORT_SKIP_RED_UP, false, false, 256},
                                 {SORT_RETRY_RED_DOWN, true, true, 512},
                                 {SORT_RETRY_RED_UP, true, false, 512}};
constexpr SurfaceKind ALL_SURFACES[] = {SURFACE_SQUARE, SURFACE_CIRCLE, SURFACE_TORUS, SURFACE_TRIANGLE,
                                        SURFACE_TRIANGLE_INVERTED};

std::size_t count_differences(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    std::size_t differing = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) differing += a[i] != b[i];
    return differing;
}

std::uint64_t exactness_iterations() { return sanitized_build() ? 200000 : 10000000; }

void fill_image(std::int32_t size, std::uint32_t (*word)(std::uint32_t x, std::uint32_t y)) {
    set_image_geometry(size);
    ASSERT_EQ(create_image(size, size), IMAGE_MADE);
    for (std::uint32_t y = 0; y < std::uint32_t(size); ++y)
        for (std::uint32_t x = 0; x < std::uint32_t(size); ++x) image_buffer.pixels[y * size + x] = word(x, y);
}

int repaints = 0;
void count_repaint(void*) { ++repaints; }

void restore_pixels(const std::vector<std::uint32_t>& pixels) {
    std::copy(pixels.begin(), pixels.end(), image_buffer.pixels);
}

// The block paths this build has and this processor runs, each forced in
// turn; the scalar path is in every build, and a path that cannot be tested
// here is named in the output.
std::vector<DrawKernelPath> runnable_paths() {
    std::vector<DrawKernelPath> paths;
    for (DrawKernelPath path : {DRAW_PATH_SCALAR, DRAW_PATH_BASELINE, DRAW_PATH_AVX2}) {
        if (force_draw_path(path))
            paths.push_back(path);
        else
            std::printf("block path %d is not in this build or not on this processor: not checked\n", path);
    }
    EXPECT_EQ(paths.front(), DRAW_PATH_SCALAR) << "every build has the scalar path";
    force_draw_path(DRAW_PATH_AUTOMATIC);
    return paths;
}

// Stops the running worker from a helper thread and waits for that stop with
// a generous bound. A stop that never returns leaves a thread that cannot be
// reclaimed, so the test program says so and ends rather than hang the suite.
void stop_within(std::chrono::seconds bound) {
    struct Outcome {
        std::mutex lock;
        std::condition_variable changed;
        bool stopped = false;
    };
    auto outcome = std::make_shared<Outcome>();
    std::thread stopper([outcome] {
        stop_worker();
        std::lock_guard held(outcome->lock);
        outcome->stopped = true;
        outcome->changed.notify_all();
    });
    std::unique_lock held(outcome->lock);
    if (!outcome->changed.wait_for(held, bound, [&] { return outcome->stopped; })) {
        std::fprintf(stderr, "stop_worker did not return within %lld s: the worker ignores the stop\n",
                     static_cast<long long>(bound.count()));
        std::fflush(stderr);
        std::abort();
    }
    held.unlock();
    stopper.join();
}

// Waits until the process has used some 50 ms more processor time, most of it
// the worker's, as this thread only sleeps meanwhile: a worker started just
// before is then past its start (a start takes well under a millisecond).
// Where clock() counts wall time instead, that much time passes.
void let_the_worker_run() {
    const std::clock_t goal = std::clock() + CLOCKS_PER_SEC / 20;
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::clock() < goal && std::chrono::steady_clock::now() < bound)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

TEST_F(SortTest, ChoosesTheEntryBySizeAndRedDirection) {
    EXPECT_EQ(choose_sort_entry(256, RED_DOWN), &sort_worker_skip_red_down);
    EXPECT_EQ(choose_sort_entry(256, RED_UP), &sort_worker_skip_red_up);
    EXPECT_EQ(choose_sort_entry(512, RED_DOWN), &sort_worker_retry_red_down);
    EXPECT_EQ(choose_sort_entry(512, RED_UP), &sort_worker_retry_red_up);
    for (const EntryCase& entry : ENTRIES)
        EXPECT_EQ(choose_sort_entry_index(entry.size, entry.red_down ? RED_DOWN : RED_UP), entry.index);
}

TEST_F(SortTest, ShippedLoopMatchesThePlainReferenceBitForBitInOneRunOrInPieces) {
    // Every entry on every surface, on every block path this processor runs:
    // the same pixels, and the generator left in the same place. The
    // iterations come in one long run, or in pieces of odd lengths that end
    // just before, at and after a block's end, then a long one: each run
    // hands the generator back and the next takes it up again.
    const struct {
        std::uint32_t seed;
        std::vector<std::uint64_t> runs;
    } plans[] = {{777, {exactness_iterations()}}, {31, {1, 2, 623, 624, 625, 7, 98118}}};
    for (const auto& plan : plans) {
        std::uint64_t total = 0;
        for (std::uint64_t run : plan.runs) total += run;
        for (const EntryCase& entry : ENTRIES) {
            for (SurfaceKind surface : ALL_SURFACES) {
                ASSERT_TRUE(build_seeded_image(surface, entry.size, plan.seed + surface));
                const std::vector<std::uint32_t> start = snapshot_pixels();
                std::vector<std::uint32_t> expected = start;
                const RandomSource seeded = random_source;
                reference_sort(expected, entry.size, entry.retry, entry.red_down, total);
                const RandomSource reference_end = random_source;

                for (DrawKernelPath path : runnable_paths()) {
                    SCOPED_TRACE(testing::Message() << plan.runs.size() << " runs, entry " << entry.index << " surface "
                                                    << surface << " path " << path);
                    ASSERT_TRUE(force_draw_path(path));
                    restore_pixels(start);
                    random_source = seeded;
                    for (std::uint64_t run : plan.runs) run_sort_iterations(entry.index, run);
                    EXPECT_EQ(count_differences(snapshot_pixels(), expected), 0u);
                    EXPECT_TRUE(same_source(random_source, reference_end)) << "the generator was left elsewhere";
                }
            }
        }
    }
}

TEST_F(SortTest, ExchangesKeepEveryWordAndNeverMoveTheBackground) {
    for (const EntryCase& entry : ENTRIES) {
        ASSERT_TRUE(build_seeded_image(SURFACE_TORUS, entry.size, 5));
        std::vector<std::uint32_t> before = snapshot_pixels();
        run_sort_iterations(entry.index, 500000);
        std::vector<std::uint32_t> after = snapshot_pixels();
        for (std::size_t i = 0; i < before.size(); ++i) ASSERT_EQ(before[i] == 0, after[i] == 0) << i;
        EXPECT_NE(after, before);
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, before) << "entry " << entry.index;
    }
}

TEST_F(SortTest, DisorderFallsInAllThreeDirections) {
    // Measured after 1, 2 and 4 units of iterations: each measurement is
    // below the one before, in every direction.
    const std::uint64_t unit = 5000000;
    ASSERT_TRUE(build_seeded_image(SURFACE_CIRCLE, 256, 99));
    Disorder previous = measure_disorder(image_buffer.pixels, 256, 256, RED_UP);
    std::printf("out-of-order share red/blue/green: at start %.4f %.4f %.4f\n", previous.red, previous.blue,
                previous.green);
    EXPECT_GT(previous.red, 0.3);
    std::uint64_t done = 0;
    for (std::uint64_t run : {unit, unit, 2 * unit}) {
        run_sort_iterations(SORT_SKIP_RED_UP, run);
        done += run;
        const Disorder now = measure_disorder(image_buffer.pixels, 256, 256, RED_UP);
        std::printf("  after %llu iterations %.4f %.4f %.4f\n", static_cast<unsigned long long>(done), now.red,
                    now.blue, now.green);
        EXPECT_LT(now.red, previous.red);
        EXPECT_LT(now.blue, previous.blue);
        EXPECT_LT(now.green, previous.green);
        previous = now;
    }
    EXPECT_LT(previous.red, 0.1);
}

TEST_F(SortTest, AnOrderedImageStaysAndEqualValuesAreNeverExchanged) {
    // Red grows downward, blue toward the left and green toward the right: in
    // order for the red-down entries in every direction.
    auto ordered = [](std::uint32_t x, std::uint32_t y) { return (y / 2) << 16 | (x / 2) << 8 | (255 - x / 2); };
    auto uniform = [](std::uint32_t, std::uint32_t) { return 0x00406080u; };
    for (const EntryCase& entry : ENTRIES) {
        for (auto word : {+ordered, +uniform}) {
            fill_image(entry.size, word);
            const auto before = snapshot_pixels();
            run_sort_iterations(entry.index, 300000);
            const bool red_up_on_ordered = !entry.red_down && word == +ordered;
            if (red_up_on_ordered)
                EXPECT_NE(snapshot_pixels(), before) << "red up must move larger red upward";
            else
                EXPECT_EQ(snapshot_pixels(), before) << "entry " << entry.index;
        }
    }
}

TEST_F(SortTest, DiagonalPairsNeverWrapAcrossTheImageEdge) {
    // Only the first and last columns are surface. Any pair between them would
    // be a wrap, and each such pair is out of order in blue or green.
    for (SortEntryIndex index : {SORT_SKIP_RED_DOWN, SORT_SKIP_RED_UP}) {
        fill_image(256, [](std::uint32_t x, std::uint32_t) -> std::uint32_t {
            if (x == 0) return 0x0080FF;                      // blue high, green low
            if (x == 255) return 0x00FF00 | 0x800000 | 0x01;  // green high, blue low
            return 0;
        });
        const auto before = snapshot_pixels();
        run_sort_iterations(index, 2000000);
        EXPECT_EQ(snapshot_pixels(), before);
    }
}

TEST_F(SortTest, PacingRepaintsEveryIntervalTimes65536Iterations) {
    ASSERT_TRUE(build_seeded_image(SURFACE_CIRCLE, 256, 3));
    swap_platform_service(&PlatformServices::repaint, count_repaint);
    repaints = 0;
    sort_settings.refresh_interval.store(REFRESH_MORE);
    run_sort_iterations(SORT_SKIP_RED_UP, 3 * 262144);
    EXPECT_EQ(repaints, 3);
    EXPECT_EQ(run_state.iteration_counter[SORT_SKIP_RED_UP], 0);
    EXPECT_EQ(run_state.refresh_counter.load(), 0);

    // The counter carries over: one more iteration ticks again.
    run_sort_iterations(SORT_SKIP_RED_UP, 1);
    EXPECT_EQ(run_state.refresh_counter.load(), 1);
    EXPECT_EQ(run_state.iteration_counter[SORT_SKIP_RED_UP], 1);

    // 16 blocks between repaints; the interval is read at every tick.
    repaints = 0;
    run_state.refresh_counter.store(0);
    sort_settings.refresh_interval.store(REFRESH_LESS);
    run_sort_iterations(SORT_SKIP_RED_UP, 16 * 65536);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(run_state.iteration_counter[SORT_RETRY_RED_UP], 0) << "entries share counters";
}

TEST_F(SortTest, AWorkerSortsWhileTheWaitingThreadPaintsAndStopsMidRun) {
    sort_settings.refresh_interval.store(REFRESH_MORE);
    for (const EntryCase& entry : {ENTRIES[1], ENTRIES[2]}) {
        ASSERT_TRUE(build_seeded_image(SURFACE_TRIANGLE, entry.size, 8));
        const auto before = snapshot_pixels();
        install_ui_harness();
        start_worker(entry.index == SORT_SKIP_RED_UP ? sort_worker_skip_red_up : sort_worker_retry_red_down);
        // Each "paint" reads every pixel while the worker is paused in its
        // request; other reads happen while it runs.
        static std::uint64_t checksum;
        checksum = 0;
        EXPECT_EQ(serve_repaints(2, 60000,
                                 [] {
                                     for (std::uint32_t i = 0; i < image_geometry.pixel_count; ++i)
                                         checksum += load_pixel(image_buffer.pixels, i);
                                 }),
                  2);
        const auto while_running = snapshot_pixels();
        stop_worker();
        EXPECT_FALSE(worker_is_running());
        EXPECT_EQ(run_state.running.load(), 0);
        auto after = snapshot_pixels();
        EXPECT_NE(after, before);
        for (std::size_t i = 0; i < after.size(); ++i) ASSERT_EQ(after[i] == 0, before[i] == 0);
        std::sort(after.begin(), after.end());
        auto sorted_before = before;
        std::sort(sorted_before.begin(), sorted_before.end());
        EXPECT_EQ(after, sorted_before);
        EXPECT_GT(checksum, 0u);
        EXPECT_EQ(while_running.size(), before.size());
    }
}

TEST_F(SortTest, AStopEndsTheWorkerEvenWhenNoPairCanEverBeDrawn) {
    // One column of equal surface words has vertical pairs but no diagonal
    // ones; an all-background image has no pair at all. A retry pass there
    // draws for ever, and the stop must still end the worker promptly. The
    // stop comes once the worker is well inside its loop, where a retry
    // worker resolves block after block.
    auto one_column = [](std::uint32_t x, std::uint32_t) -> std::uint32_t { return x == 100 ? 0x00406080u : 0u; };
    auto background = [](std::uint32_t, std::uint32_t) -> std::uint32_t { return 0u; };
    for (const EntryCase& entry : ENTRIES) {
        for (auto word : {+one_column, +background}) {
            SCOPED_TRACE(testing::Message() << "entry " << entry.index);
            fill_image(entry.size, word);
            const auto before = snapshot_pixels();
            start_worker(choose_sort_entry(entry.size, entry.red_down ? RED_DOWN : RED_UP));
            ASSERT_TRUE(worker_is_running());
            let_the_worker_run();
            stop_within(std::chrono::seconds(20));
            EXPECT_FALSE(worker_is_running());
            EXPECT_EQ(snapshot_pixels(), before);
        }
    }
}

TEST_F(SortTest, AStoppedWorkerLeavesImageGeneratorAndCounterAtTheSameIteration) {
    // A worker stopped at an arbitrary moment must end between two
    // iterations: some number of plain iterations gives its pixels and its
    // generator exactly, and its entry's counter moved on by that number.
    sort_settings.refresh_interval.store(REFRESH_MORE);
    for (const EntryCase& entry : ENTRIES) {
        for (DrawKernelPath path : runnable_paths()) {
            SCOPED_TRACE(testing::Message() << "entry " << entry.index << " path " << path);
            ASSERT_TRUE(force_draw_path(path));
            ASSERT_TRUE(build_seeded_image(SURFACE_CIRCLE, entry.size, 12));
            std::vector<std::uint32_t> expected = snapshot_pixels();
            const RandomSource seeded = random_source;
            const std::uint16_t counter_before = run_state.iteration_counter[entry.index];
            install_ui_harness();
            reset_sorted_iterations();
            start_worker(choose_sort_entry(entry.size, entry.red_down ? RED_DOWN : RED_UP));
            EXPECT_EQ(serve_repaints(1, 60000), 1);
            stop_worker();
            const RandomSource worker_end = random_source;

            random_source = seeded;
            std::uint64_t n = 0;
            while (!same_source(random_source, worker_end) && n < 50000000) {
                reference_sort(expected, entry.size, entry.retry, entry.red_down, 1);
                ++n;
            }
            ASSERT_TRUE(same_source(random_source, worker_end)) << "the generator stopped inside an iteration";
            EXPECT_GT(n, 0u);
            EXPECT_EQ(count_differences(snapshot_pixels(), expected), 0u);
            EXPECT_EQ(run_state.iteration_counter[entry.index], static_cast<std::uint16_t>(counter_before + n));
            EXPECT_EQ(sorted_iterations(), n);
        }
    }
}

namespace {

// A stop made from inside a repaint, as the user-interface thread makes it
// while it paints: `running` is cleared at the chosen repaint.
std::atomic<int> paints_before_stop{0};
void stop_at_chosen_paint() {
    if (paints_before_stop.fetch_sub(1) == 1) run_state.running.store(0);
}

// Where the pacing counters stand when a worker starts, and at which repaint
// of the run the stop comes.
struct StopCase {
    std::uint16_t iteration_counter;
    std::uint16_t refresh_counter;
    std::int32_t refresh_interval;
    int stop_at_repaint;
};

// The iterations a worker runs until the end of the iteration that makes
// repaint number `repaint`: the iteration that finds its entry's counter at 0
// ticks, and every `refresh_interval`-th tick repaints.
std::uint64_t iterations_through_repaint(const StopCase& pacing) {
    std::uint64_t iteration = static_cast<std::uint16_t>(0u - pacing.iteration_counter);
    std::uint32_t ticks = pacing.refresh_counter;
    int repaints = 0;
    for (;;) {
        ticks = static_cast<std::uint16_t>(ticks + 1);
        if (ticks == static_cast<std::uint32_t>(pacing.refresh_interval)) {
            ticks = 0;
            if (++repaints == pacing.stop_at_repaint) return iteration + 1;
        }
        iteration += 65536;
    }
}

}  // namespace

TEST_F(SortTest, AStopMadeDuringARepaintEndsTheWorkerAfterThatIteration) {
    // The iteration that repaints is completed, and `running` is read before
    // the next one: the worker's pixels, generator and counter are those of
    // the plain loop after exactly that many iterations. Repaints at the very
    // first iteration, after a few hundred and after a few hundred thousand.
    const StopCase cases[] = {{0, REFRESH_MORE - 1, REFRESH_MORE, 1},
                              {65000, REFRESH_LESS - 1, REFRESH_LESS, 1},
                              {64536, 1, REFRESH_MORE, 2}};
    for (const EntryCase& entry : ENTRIES) {
        for (SurfaceKind surface : ALL_SURFACES) {
            for (const StopCase& pacing : cases) {
                SCOPED_TRACE(testing::Message() << "entry " << entry.index << " surface " << surface << " counter "
                                                << pacing.iteration_counter << " repaint " << pacing.stop_at_repaint);
                ASSERT_TRUE(build_seeded_image(surface, entry.size, 4040 + surface));
                std::vector<std::uint32_t> expected = snapshot_pixels();
                const RandomSource seeded = random_source;
                run_state.iteration_counter[entry.index] = pacing.iteration_counter;
                run_state.refresh_counter.store(pacing.refresh_counter);
                sort_settings.refresh_interval.store(pacing.refresh_interval);

                install_ui_harness();
                reset_sorted_iterations();
                paints_before_stop.store(pacing.stop_at_repaint);
                start_worker(choose_sort_entry(entry.size, entry.red_down ? RED_DOWN : RED_UP));
                EXPECT_EQ(serve_repaints(pacing.stop_at_repaint, 60000, stop_at_chosen_paint), pacing.stop_at_repaint);
                stop_worker();
                EXPECT_EQ(repaints_served(), pacing.stop_at_repaint) << "the worker repainted after the stop";

                const RandomSource worker_end = random_source;
                const std::uint64_t n = iterations_through_repaint(pacing);
                random_source = seeded;
                reference_sort(expected, entry.size, entry.retry, entry.red_down, n);
                EXPECT_EQ(run_state.iteration_counter[entry.index],
                          static_cast<std::uint16_t>(pacing.iteration_counter + n));
                EXPECT_EQ(count_differences(snapshot_pixels(), expected), 0u);
                EXPECT_TRUE(same_source(worker_end, random_source)) << "the generator is elsewhere";
                EXPECT_EQ(sorted_iterations(), n);
            }
        }
    }
}

namespace {

// The count of sorted iterations once it is above `floor`, read from this
// thread while a worker sorts; 0 when it stays there for a minute.
std::uint64_t count_once_above(std::uint64_t floor) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::uint64_t count = sorted_iterations();
    while (count <= floor && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
        count = sorted_iterations();
    }
    return count > floor ? count : 0;
}

}  // namespace

TEST_F(SortTest, TheSortedIterationCountAddsUpBoundedRunsAndGrowsWhileAWorkerSorts) {
    for (const EntryCase& entry : ENTRIES) {
        ASSERT_TRUE(build_seeded_image(SURFACE_TRIANGLE, entry.size, 61));
        std::uint64_t total = 0;  // a new picture counts from nothing
        for (std::uint64_t run : {1, 625, 70000}) {
            run_sort_iterations(entry.index, run);
            total += run;
            EXPECT_EQ(sorted_iterations(), total) << "entry " << entry.index;
        }
    }

    reset_sorted_iterations();
    EXPECT_EQ(sorted_iterations(), 0u);
    ASSERT_TRUE(build_seeded_image(SURFACE_CIRCLE, 256, 62));
    const std::uint16_t counter_before = run_state.iteration_counter[SORT_SKIP_RED_UP];
    start_worker(sort_worker_skip_red_up);
    const std::uint64_t first = count_once_above(0);
    const std::uint64_t later = count_once_above(first);
    stop_worker();
    EXPECT_GT(first, 0u);
    EXPECT_GT(later, first);
    EXPECT_GE(sorted_iterations(), later);
    EXPECT_EQ(run_state.iteration_counter[SORT_SKIP_RED_UP],
              static_cast<std::uint16_t>(counter_before + sorted_iterations()));
}

namespace {

// Allocations of at least FAILING_SIZE bytes fail while `fail_large` is set,
// and the one of a RetryDraws's size made meanwhile is followed until it is
// freed.
constexpr std::size_t FAILING_SIZE = DRAW_BOUND_BIG;
std::atomic<bool> fail_large{false};
std::atomic<void*> followed_draws{nullptr};

}  // namespace

void* operator new(std::size_t size) {
    if (fail_large.load() && size >= FAILING_SIZE) throw std::bad_alloc();
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block) throw std::bad_alloc();
    if (fail_large.load() && size == sizeof(RetryDraws)) followed_draws.store(block);
    return block;
}
void operator delete(void* block) noexcept {
    void* followed = block;
    followed_draws.compare_exchange_strong(followed, nullptr);
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
// The other plain forms, so that every block is freed by the operator that
// made it.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* block, const std::nothrow_t&) noexcept { operator delete(block); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete[](void* block, std::size_t) noexcept { operator delete(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { operator delete(block); }

TEST_F(SortTest, ARetryWorkerWithoutMemoryForItsTableEndsAndLeavesNothing) {
    ASSERT_TRUE(build_seeded_image(SURFACE_CIRCLE, 512, 63));
    const auto before = snapshot_pixels();
    fail_large.store(true);
    start_worker(sort_worker_retry_red_up);
    stop_within(std::chrono::seconds(20));
    fail_large.store(false);
    EXPECT_EQ(run_state.running.load(), 0);
    EXPECT_EQ(snapshot_pixels(), before);
    // Where a RetryDraws comes from the plain operator new, it was seen and
    // must have been freed.
    if constexpr (alignof(RetryDraws) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__) {
        EXPECT_EQ(followed_draws.load(), nullptr) << "the worker's draws were not freed";
    }
}
