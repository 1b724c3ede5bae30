#include "tests/engine/test_support.h"

#include "engine/draw_kernels.h"
#include "engine/global_memory.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/platform.h"
#include "engine/palette.h"
#include "engine/picture.h"
#include "engine/sort_settings.h"
#include "engine/worker.h"

std::uint32_t fixed_clock_seconds = 0;

namespace {
std::uint32_t fixed_clock(void*) { return fixed_clock_seconds; }

// The platform of every test: the clock fixed, the rest the engine's
// defaults.
PlatformServices test_platform() {
    PlatformServices services;
    services.clock_seconds = fixed_clock;
    return services;
}
}  // namespace

void EngineTest::SetUp() {
    apply_settings(SettingsValues{});
    image_geometry = ImageGeometry{};
    reset_run_state();
    set_allocation_gate(nullptr);
    install_platform(test_platform());
    force_draw_path(DRAW_PATH_AUTOMATIC);
    fixed_clock_seconds = 1234567;
    ASSERT_EQ(blocks_in_use(), 0);
    ASSERT_TRUE(open_drawing_context(nullptr));
}

void EngineTest::TearDown() {
    stop_worker();
    install_platform(test_platform());
    set_allocation_gate(nullptr);
    close_drawing_context();
    EXPECT_EQ(palette, nullptr);
    EXPECT_EQ(blocks_in_use(), 0) << "engine memory left behind";
}

bool build_seeded_image(SurfaceKind surface, std::int32_t size, std::uint32_t seed) {
    return make_picture({surface, size, RED_UP, seed}).made;
}

std::vector<std::uint32_t> snapshot_pixels() {
    std::vector<std::uint32_t> copy(image_geometry.pixel_count);
    for (std::uint32_t i = 0; i < copy.size(); ++i) copy[i] = load_pixel(image_buffer.pixels, i);
    return copy;
}

bool sanitized_build() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#else
    return false;
#endif
}

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct UiHarness {
    std::mutex lock;
    std::condition_variable changed;
    int requested = 0;
    int served = 0;
    bool worker_ended = false;
    void (*on_paint)() = nullptr;
};
UiHarness harness;

// Answers every request made so far; called with the lock held.
void answer_requests(std::unique_lock<std::mutex>& held) {
    while (harness.served < harness.requested) {
        if (harness.on_paint) {
            held.unlock();
            harness.on_paint();
            held.lock();
        }
        ++harness.served;
        harness.changed.notify_all();
    }
}

void harness_repaint(void*) {
    std::unique_lock held(harness.lock);
    const int ticket = ++harness.requested;
    harness.changed.notify_all();
    harness.changed.wait(held, [&] { return harness.served >= ticket; });
}

bool harness_start(void*, std::thread& worker, WorkerEntry entry) {
    {
        std::lock_guard held(harness.lock);
        harness.worker_ended = false;
    }
    worker = std::thread([entry] {
        entry();
        std::lock_guard held(harness.lock);
        harness.worker_ended = true;
        harness.changed.notify_all();
    });
    return true;
}

void harness_wait(void*, std::thread& worker) {
    {
        std::unique_lock held(harness.lock);
        for (;;) {
            answer_requests(held);
            if (harness.worker_ended) break;
            harness.changed.wait(held, [] { return harness.worker_ended || harness.served < harness.requested; });
        }
    }
    worker.join();
}

}  // namespace

void install_ui_harness() {
    {
        std::lock_guard held(harness.lock);
        harness.requested = 0;
        harness.served = 0;
        harness.worker_ended = false;
        harness.on_paint = nullptr;
    }
    PlatformServices services = test_platform();
    services.repaint = harness_repaint;
    services.wait_for_worker = harness_wait;
    services.start_thread = harness_start;
    install_platform(services);
}

int serve_repaints(int repaints, int bound_ms, void (*on_paint)()) {
    std::unique_lock held(harness.lock);
    harness.on_paint = on_paint;
    const int start = harness.served;
    const int goal = start + repaints;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(bound_ms);
    while (harness.served < goal) {
        answer_requests(held);
        if (harness.served >= goal) break;
        if (!harness.changed.wait_until(held, deadline, [] { return harness.served < harness.requested; })) break;
    }
    harness.on_paint = nullptr;
    return harness.served - start;
}

int repaints_served() {
    std::lock_guard held(harness.lock);
    return harness.served;
}
