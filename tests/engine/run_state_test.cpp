// The process-wide run state: its start-up values, starting and stopping the
// one worker, and the repaint hook a stopping wait keeps serving.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "engine/run_state.h"
#include "tests/engine/test_support.h"

namespace {

using RunStateTest = EngineTest;

std::atomic<int> entry_runs{0};

void counting_entry() {
    entry_runs.fetch_add(1);
    while (run_state.running.load(std::memory_order_relaxed)) std::this_thread::yield();
}

// Asks for repaints until stopped: each request needs the waiting thread.
void repainting_entry() {
    while (run_state.running.load(std::memory_order_relaxed)) request_repaint();
}

bool refuse_thread(void*, std::thread&, WorkerEntry) { return false; }

// Runs until stopped, or for ten seconds at most, so that a worker nobody
// stops fails the test instead of hanging it.
std::atomic<bool> bounded_entry_ended{false};
void bounded_entry() {
    entry_runs.fetch_add(1);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (run_state.running.load(std::memory_order_relaxed) && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::yield();
    }
    bounded_entry_ended = true;
}

// Like the platform's wait, it runs other code of the waiting thread before
// the worker has ended: here, a Start that arrives during the wait.
int wait_depth = 0;
void reentering_wait(void*, std::thread&) {
    if (wait_depth++ == 0) {
        stop_worker();
        start_worker(bounded_entry);
    }
    while (!bounded_entry_ended) std::this_thread::yield();
    --wait_depth;
}

void out_of_memory_entry() { throw std::bad_alloc(); }

int hook_calls = 0;
void count_hook(void*) { ++hook_calls; }

}  // namespace

TEST_F(RunStateTest, StartUpValues) {
    EXPECT_EQ(sort_settings.surface, SURFACE_CIRCLE);
    EXPECT_EQ(sort_settings.image_size, 256);
    EXPECT_EQ(sort_settings.refresh_interval.load(), 16);
    EXPECT_EQ(sort_settings.rotation_delay.load(), 8);
    EXPECT_EQ(sort_settings.red_direction, RED_UP);
    // Before the first Start: a 512 x 512 geometry with nothing to show.
    EXPECT_EQ(image_geometry.width, 512u);
    EXPECT_EQ(image_geometry.height, 512u);
    EXPECT_EQ(image_geometry.pixel_count, 262144u);
    EXPECT_EQ(image_geometry.byte_size, 1048576u);
    EXPECT_EQ(image_geometry.image_rect.right, 0);
    EXPECT_EQ(image_geometry.image_rect.bottom, 0);
    EXPECT_EQ(run_state.running.load(), 0);
    EXPECT_EQ(run_state.rotation_on, 0);
    EXPECT_EQ(run_state.params_changed, 0);
    EXPECT_FALSE(worker_is_running());

    set_image_geometry(256);
    EXPECT_EQ(image_geometry.pixel_count, 65536u);
    EXPECT_EQ(image_geometry.byte_size, 262144u);
    EXPECT_EQ(image_geometry.image_rect.right, 256);
    EXPECT_EQ(image_geometry.image_rect.bottom, 256);
}

TEST_F(RunStateTest, StoppingWithAnEmptySlotChangesNothing) {
    run_state.running.store(1);
    stop_worker();
    EXPECT_EQ(run_state.running.load(), 1);
    run_state.running.store(0);
}

TEST_F(RunStateTest, StartThenTwoStops) {
    entry_runs = 0;
    start_worker(counting_entry);
    EXPECT_TRUE(worker_is_running());
    EXPECT_EQ(run_state.running.load(), 1);
    stop_worker();
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(run_state.running.load(), 0);
    EXPECT_EQ(entry_runs.load(), 1);
    stop_worker();
    EXPECT_EQ(run_state.running.load(), 0);
}

TEST_F(RunStateTest, AFailedThreadStartLeavesTheSlotEmptyAndRunningZero) {
    swap_platform_service(&PlatformServices::start_thread, refuse_thread);
    start_worker(counting_entry);
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(run_state.running.load(), 0);
    stop_worker();  // nothing to stop
    restore_platform_service(&PlatformServices::start_thread);
    start_worker(counting_entry);
    EXPECT_TRUE(worker_is_running());
}

TEST_F(RunStateTest, RepaintCallsTheInstalledHookOnly) {
    hook_calls = 0;
    request_repaint();  // no hook yet: returns at once
    swap_platform_service(&PlatformServices::repaint, count_hook);
    request_repaint();
    request_repaint();
    EXPECT_EQ(hook_calls, 2);
}

TEST_F(RunStateTest, StoppingAWorkerThatWaitsForARepaintCompletes) {
    install_ui_harness();
    start_worker(repainting_entry);
    // Let it get into a request that nobody answers yet, then stop: the wait
    // must answer the request so the worker can see the stop.
    ASSERT_EQ(serve_repaints(3, 20000), 3);
    stop_worker();
    EXPECT_FALSE(worker_is_running());
    EXPECT_GE(repaints_served(), 3);
}

TEST_F(RunStateTest, AStopEnteredDuringTheWaitWaitsForTheSameWorkerAndNothingStarts) {
    entry_runs = 0;
    bounded_entry_ended = false;
    start_worker(bounded_entry);
    swap_platform_service(&PlatformServices::wait_for_worker, reentering_wait);
    stop_worker();
    restore_platform_service(&PlatformServices::wait_for_worker);
    EXPECT_EQ(entry_runs.load(), 1) << "a worker started while the stop was still waiting";
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(run_state.running.load(), 0);
    stop_worker();
}

TEST_F(RunStateTest, AWorkerOutOfMemoryEndsWithoutEndingTheProcess) {
    start_worker(out_of_memory_entry);
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (run_state.running.load() != 0 && std::chrono::steady_clock::now() < bound) std::this_thread::yield();
    EXPECT_EQ(run_state.running.load(), 0);
    stop_worker();
    EXPECT_FALSE(worker_is_running());
    // The slot is usable again.
    start_worker(counting_entry);
    EXPECT_TRUE(worker_is_running());
    stop_worker();
}
