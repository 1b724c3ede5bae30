// The worker slot: starting and stopping the one worker, a failed thread
// start, a worker out of memory, and stops that must keep serving repaints.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

#include "engine/worker.h"
#include "tests/engine/test_support.h"

namespace {

using WorkerTest = EngineTest;

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

TEST_F(WorkerTest, TheRunStateStartsStoppedWithItsCountersAtZero) {
    const RunState fresh;
    EXPECT_EQ(fresh.running.load(), 0);
    EXPECT_EQ(fresh.refresh_counter.load(), 0);
    for (std::uint16_t counter : fresh.iteration_counter) EXPECT_EQ(counter, 0);
    EXPECT_FALSE(worker_is_running());
}

TEST_F(WorkerTest, StoppingWithAnEmptySlotChangesNothing) {
    run_state.running.store(1);
    stop_worker();
    EXPECT_EQ(run_state.running.load(), 1);
    run_state.running.store(0);
}

TEST_F(WorkerTest, StartThenTwoStops) {
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

TEST_F(WorkerTest, AFailedThreadStartLeavesTheSlotEmptyAndRunningZero) {
    swap_platform_service(&PlatformServices::start_thread, refuse_thread);
    start_worker(counting_entry);
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(run_state.running.load(), 0);
    stop_worker();  // nothing to stop
    restore_platform_service(&PlatformServices::start_thread);
    start_worker(counting_entry);
    EXPECT_TRUE(worker_is_running());
}

TEST_F(WorkerTest, RepaintCallsTheInstalledHookOnly) {
    hook_calls = 0;
    request_repaint();  // no hook yet: returns at once
    swap_platform_service(&PlatformServices::repaint, count_hook);
    request_repaint();
    request_repaint();
    EXPECT_EQ(hook_calls, 2);
}

TEST_F(WorkerTest, StoppingAWorkerThatWaitsForARepaintCompletes) {
    install_ui_harness();
    start_worker(repainting_entry);
    // Let it get into a request that nobody answers yet, then stop: the wait
    // must answer the request so the worker can see the stop.
    ASSERT_EQ(serve_repaints(3, 20000), 3);
    stop_worker();
    EXPECT_FALSE(worker_is_running());
    EXPECT_GE(repaints_served(), 3);
}

TEST_F(WorkerTest, AStopEnteredDuringTheWaitWaitsForTheSameWorkerAndNothingStarts) {
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

TEST_F(WorkerTest, AWorkerOutOfMemoryEndsWithoutEndingTheProcess) {
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
