// Start, Toggle rotation and Exit, sent to the real main window as its menu
// sends them, with the real engine and the platform's worker wait.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <set>
#include <string>
#include <thread>

#include "engine/global_memory.h"
#include "engine/image.h"
#include "engine/image_geometry.h"
#include "engine/palette.h"
#include "engine/sort_settings.h"
#include "engine/sort_worker.h"
#include "engine/worker.h"
#include "resources/resource_ids.h"
#include "shell/command_table.h"
#include "shell/main_window.h"
#include "shell/painting.h"
#include "shell/window_flags.h"
#include "tests/shell/shell_test_support.h"

namespace {

std::atomic<int> worker_repaints{0};
std::atomic<bool> worker_in_repaint{false};

// The shell's own repaint operation, counted.
void counting_repaint(void* window) {
    worker_in_repaint = true;
    repaint_window(window);
    worker_in_repaint = false;
    ++worker_repaints;
}

class CommandsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        worker_repaints = 0;
        swap_platform_service(&PlatformServices::repaint, counting_repaint);
        // Frequent refreshes keep the waits for a worker's repaint short.
        sort_settings.refresh_interval = REFRESH_MORE;
    }

    void TearDown() override {
        swap_platform_service(&PlatformServices::repaint, repaint_window);
        ShellTest::TearDown();
    }

    static void command(WORD id) { SendMessageA(current_main_window(), WM_COMMAND, id, 0); }

    // Waits, keeping the window's messages flowing, until the running worker
    // has asked for `count` more repaints.
    static bool wait_for_repaints(int count) {
        const int target = worker_repaints + count;
        return pump_until([&] { return worker_repaints >= target; });
    }
};

struct StartCase {
    std::int32_t image_size;
    std::int32_t red_direction;
    SortEntryIndex entry;
};

constexpr StartCase START_CASES[] = {
    {IMAGE_SIZE_SMALL, RED_UP, SORT_SKIP_RED_UP},
    {IMAGE_SIZE_SMALL, RED_DOWN, SORT_SKIP_RED_DOWN},
    {IMAGE_SIZE_BIG, RED_UP, SORT_RETRY_RED_UP},
    {IMAGE_SIZE_BIG, RED_DOWN, SORT_RETRY_RED_DOWN},
};

std::set<int> moved_counters(const std::uint16_t (&before)[SORT_ENTRY_COUNT]) {
    std::set<int> moved;
    for (int i = 0; i < SORT_ENTRY_COUNT; ++i) {
        if (run_state.iteration_counter[i] != before[i]) moved.insert(i);
    }
    return moved;
}

TEST_F(CommandsTest, StartSetsTheGeometryAndRunsTheSortEntryForSizeAndDirection) {
    for (const StartCase& start : START_CASES) {
        SCOPED_TRACE(testing::Message() << "size " << start.image_size << ", red direction " << start.red_direction);
        sort_settings.image_size = start.image_size;
        sort_settings.red_direction = start.red_direction;
        // A counter counts modulo 65,536, so a run can end where it began;
        // another Start then tells the entries apart.
        std::set<int> moved;
        for (int attempt = 0; attempt < 3 && moved.empty(); ++attempt) {
            std::uint16_t before[SORT_ENTRY_COUNT];
            std::copy(std::begin(run_state.iteration_counter), std::end(run_state.iteration_counter), before);
            command(IDM_START);

            const auto n = static_cast<std::uint32_t>(start.image_size);
            EXPECT_EQ(image_geometry.width, n);
            EXPECT_EQ(image_geometry.height, n);
            EXPECT_EQ(image_geometry.pixel_count, n * n);
            EXPECT_EQ(image_geometry.byte_size, n * n * 4);
            EXPECT_EQ(image_geometry.image_rect.left, 0);
            EXPECT_EQ(image_geometry.image_rect.top, 0);
            EXPECT_EQ(image_geometry.image_rect.right, start.image_size);
            EXPECT_EQ(image_geometry.image_rect.bottom, start.image_size);
            ASSERT_NE(image_buffer.pixels, nullptr);
            ASSERT_TRUE(worker_is_running());

            ASSERT_TRUE(wait_for_repaints(1));
            stop_worker();
            moved = moved_counters(before);
        }
        EXPECT_EQ(moved, std::set<int>{start.entry});
    }
}

TEST_F(CommandsTest, ToggleTwiceStartsRotationThenStopsItLeavingPixelsTagged) {
    command(IDM_START);
    ASSERT_TRUE(wait_for_repaints(1));

    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 1);
    EXPECT_TRUE(worker_is_running());
    ASSERT_TRUE(wait_for_repaints(2)) << "the rotation worker never repainted";

    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 0);
    EXPECT_FALSE(worker_is_running());

    // Every pixel names its palette entry, or is tagged as background.
    int coloured = 0;
    for (std::uint32_t i = 0; i < image_geometry.pixel_count; ++i) {
        const std::uint32_t word = image_buffer.pixels[i];
        const std::uint32_t tag = word >> PIXEL_TAG_SHIFT;
        if (tag == BACKGROUND_TAG) {
            ASSERT_EQ(word, BACKGROUND_TAG << PIXEL_TAG_SHIFT) << "pixel " << i;
            continue;
        }
        ASSERT_LT(tag, static_cast<std::uint32_t>(PALETTE_SIZE)) << "pixel " << i;
        ASSERT_EQ(word, palette[tag]) << "pixel " << i;
        ++coloured;
    }
    EXPECT_GT(coloured, 0);
}

TEST_F(CommandsTest, StartWhileRotatingSortsAndLeavesRotationModeOn) {
    command(IDM_START);
    command(IDM_TOGGLE_ROTATION);
    ASSERT_EQ(window_flags.rotation_on, 1);

    command(IDM_START);
    EXPECT_EQ(window_flags.rotation_on, 1);
    EXPECT_TRUE(worker_is_running());
    ASSERT_TRUE(wait_for_repaints(1));

    // The next Toggle ends the sort and rotation mode; the one after that
    // animates the new image.
    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 0);
    EXPECT_FALSE(worker_is_running());
    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 1);
    EXPECT_TRUE(worker_is_running());
}

bool fail_image_header(AllocationPurpose purpose) { return purpose == ALLOC_IMAGE_HEADER; }
bool fail_palette(AllocationPurpose purpose) { return purpose == ALLOC_PALETTE; }
bool fail_use_counts(AllocationPurpose purpose) { return purpose == ALLOC_USE_COUNTS; }

TEST_F(CommandsTest, ToggleWithNothingToAnimateStartsNothingAndLeavesRotationOff) {
    // Before the first Start.
    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 0);
    EXPECT_FALSE(worker_is_running());

    // After a Start that could not make its image.
    set_allocation_gate(fail_image_header);
    command(IDM_START);
    ASSERT_EQ(image_buffer.pixels, nullptr);
    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 0);
    EXPECT_FALSE(worker_is_running());

    // After a Start that made its image but not its palette.
    set_allocation_gate(fail_palette);
    command(IDM_START);
    ASSERT_NE(image_buffer.pixels, nullptr);
    ASSERT_EQ(palette, nullptr);
    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 0);
    EXPECT_FALSE(worker_is_running());

    // After a Start that made its palette but could not colour the image.
    set_allocation_gate(fail_use_counts);
    command(IDM_START);
    ASSERT_NE(image_buffer.pixels, nullptr);
    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 0) << "rotation over a black image";
    EXPECT_FALSE(worker_is_running());

    // Once a Start succeeds, the first Toggle animates.
    set_allocation_gate(nullptr);
    command(IDM_START);
    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 1);
    EXPECT_TRUE(worker_is_running());
}

struct ImageFailureCase {
    AllocationGate gate;
    const char* text;  // empty: no box
};

bool fail_bitmap(AllocationPurpose purpose) { return purpose == ALLOC_BITMAP; }
bool fail_bitmap_bits(AllocationPurpose purpose) { return purpose == ALLOC_BITMAP_BITS; }

TEST_F(CommandsTest, AStartWhoseImageCannotBeMadeSaysSoInAnOwnerlessBoxAndTheNextStartWorks) {
    const ImageFailureCase cases[] = {
        {fail_bitmap, "CreateDIBSection returned NULL bitmap handle!"},
        {fail_bitmap_bits, "CreateDIBSection returned NULL pointer to bitmap bits!"},
        {fail_image_header, ""},
    };
    for (const ImageFailureCase& failure : cases) {
        SCOPED_TRACE(failure.text);
        set_allocation_gate(failure.gate);
        int boxes = 0;
        std::string text;
        bool window_enabled = false;
        HWND owner = nullptr;
        // Every box the Start shows is answered, until the Start has returned.
        run_command_driven(IDM_START, [&](const std::atomic<bool>& command_done) {
            for (;;) {
                HWND box = nullptr;
                poll_until([&] { return (box = find_own_dialog("CreateBitmap()...")) != nullptr || command_done; });
                if (!box) return;
                ++boxes;
                text = static_texts(box);
                owner = GetWindow(box, GW_OWNER);
                window_enabled = IsWindowEnabled(current_main_window());
                click_button(box, IDOK);
                if (!wait_closed(box)) return;
            }
        });
        set_allocation_gate(nullptr);
        EXPECT_EQ(boxes, *failure.text ? 1 : 0);
        EXPECT_EQ(text, failure.text);
        if (boxes > 0) {
            EXPECT_EQ(owner, nullptr) << "the box has no owner";
            EXPECT_TRUE(window_enabled) << "the box leaves the main window usable";
        }
        EXPECT_FALSE(worker_is_running());
        EXPECT_EQ(image_buffer.pixels, nullptr);

        command(IDM_START);
        EXPECT_TRUE(worker_is_running());
        ASSERT_TRUE(wait_for_repaints(1));
        stop_worker();
    }
}

bool refuse_thread(void*, std::thread&, WorkerEntry) { return false; }

TEST_F(CommandsTest, WhenNoThreadCanStartStartAndToggleLeaveNoWorkerAndKeepTheirState) {
    swap_platform_service(&PlatformServices::start_thread, refuse_thread);
    command(IDM_START);
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(run_state.running.load(), 0);
    ASSERT_NE(image_buffer.pixels, nullptr);
    EXPECT_GT(std::count_if(image_buffer.pixels, image_buffer.pixels + image_geometry.pixel_count,
                            [](std::uint32_t word) { return word != 0; }),
              0)
        << "the image is built even though it cannot be sorted";

    command(IDM_TOGGLE_ROTATION);
    restore_platform_service(&PlatformServices::start_thread);
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(run_state.running.load(), 0);
    EXPECT_EQ(window_flags.rotation_on, 1);
    EXPECT_EQ(image_buffer.pixels[0] >> PIXEL_TAG_SHIFT, BACKGROUND_TAG) << "the pixels stay tagged";
}

TEST_F(CommandsTest, ToggleSwitchesRotationOffEvenWhenAFailedStartLeftNoImage) {
    command(IDM_START);
    command(IDM_TOGGLE_ROTATION);
    ASSERT_EQ(window_flags.rotation_on, 1);

    set_allocation_gate(fail_image_header);
    command(IDM_START);
    ASSERT_EQ(image_buffer.pixels, nullptr);
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(window_flags.rotation_on, 1);

    command(IDM_TOGGLE_ROTATION);
    EXPECT_EQ(window_flags.rotation_on, 0);
    EXPECT_FALSE(worker_is_running());
}

TEST_F(CommandsTest, StoppingAWorkerThatWaitsForItsPaintCompletes) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        command(IDM_START);
        ASSERT_TRUE(wait_for_repaints(1));
        // Not dispatching anything now, so the worker is left waiting for
        // this thread to paint; the Start below must still stop it.
        ASSERT_TRUE(poll_until([] { return worker_in_repaint.load(); }));
        command(IDM_START);
        EXPECT_TRUE(worker_is_running());
    }
    stop_worker();
}

// Counts the paints of the main window.
WNDPROC shell_window_proc = nullptr;
std::atomic<int> paints{0};

LRESULT CALLBACK counting_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) ++paints;
    return CallWindowProcA(shell_window_proc, window, message, wparam, lparam);
}

TEST_F(CommandsTest, WorkerRepaintsArePaintedWhileAModalDialogIsOpen) {
    swap_platform_service(&PlatformServices::repaint, repaint_window);
    shell_window_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(current_main_window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_window_proc)));
    command(IDM_START);

    // Help's own loop now runs this thread; the worker's repaints must still
    // reach the window, or the sort would freeze behind the dialog.
    int paints_while_open = 0;
    run_command_driven(IDM_HELP, [&](const std::atomic<bool>&) {
        HWND help = nullptr;
        ASSERT_TRUE(poll_until([&] { return (help = find_own_dialog("Help...")) != nullptr; }));
        const int before = paints;
        poll_until([&] { return paints >= before + 5; });
        paints_while_open = paints - before;
        click_button(help, IDOK);
    });
    stop_worker();
    EXPECT_GE(paints_while_open, 5);
}

// A repaint hook that, once armed, waits for a stop to begin and then has
// another thread send commands and a close request, as another program
// would, while the stop is still waiting for this worker.
std::atomic<bool> sends_armed{false};
std::atomic<bool> worker_waits_for_stop{false};
std::atomic<bool> sends_returned{false};

void sending_repaint(void* context) {
    if (!sends_armed.exchange(false)) {
        counting_repaint(context);
        return;
    }
    worker_waits_for_stop = true;
    poll_until([] { return run_state.running.load() == 0; });
    HWND window = static_cast<HWND>(context);
    std::thread sender([window] {
        SendMessageA(window, WM_COMMAND, IDM_TOGGLE_ROTATION, 0);
        SendMessageA(window, WM_COMMAND, IDM_START, 0);
        SendMessageA(window, WM_CLOSE, 0, 0);
        sends_returned = true;
    });
    // Bounded, so that a shell that runs the sends at once (and so waits for
    // this very worker) fails instead of hanging here.
    poll_until([] { return sends_returned.load(); });
    sender.detach();
}

TEST_F(CommandsTest, CommandsAndCloseSentWhileAStopWaitsRunOnceItHasEnded) {
    sort_settings.image_size = IMAGE_SIZE_BIG;
    sends_armed = false;
    worker_waits_for_stop = false;
    sends_returned = false;
    swap_platform_service(&PlatformServices::repaint, sending_repaint);
    command(IDM_START);
    sends_armed = true;
    ASSERT_TRUE(pump_until([] { return worker_waits_for_stop.load(); }));

    HWND window = current_main_window();
    command(IDM_START);  // its stop waits while the sends arrive
    EXPECT_TRUE(sends_returned) << "the sends were not answered during the stop";
    ASSERT_TRUE(IsWindow(window)) << "the close ran inside the stop";
    EXPECT_TRUE(worker_is_running());
    EXPECT_EQ(window_flags.rotation_on, 0);

    // Then, in the order they came: rotation on, a new sort (rotation mode
    // stays on), and the close.
    ASSERT_TRUE(pump_until([&] { return window_flags.rotation_on == 1 && !IsWindow(window); }));
    EXPECT_EQ(current_main_window(), nullptr);
    EXPECT_FALSE(worker_is_running());
    EXPECT_EQ(blocks_in_use(), 0);
}

TEST_F(CommandsTest, ACommandWithoutAHandlerDoesNothing) {
    // Neither a menu command nor anything else the window knows: no worker
    // starts, no dialog opens, the window stays.
    for (WORD id : {WORD{0}, WORD{IDOK}, WORD{IDC_SURFACE_SQUARE}, WORD{0xFFFF}}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(run_command(id, current_main_window()));
        command(id);
        EXPECT_FALSE(worker_is_running());
        EXPECT_EQ(find_own_dialog(nullptr), nullptr);
        EXPECT_TRUE(IsWindow(current_main_window()));
    }
}

// A message source that fails at once, as GetMessage does when the system
// cannot deliver a message.
BOOL WINAPI failing_message_source(LPMSG, HWND, UINT, UINT) { return -1; }

TEST_F(CommandsTest, AFailedMessageLoopEndsWithAFailureCode) {
    set_message_source(failing_message_source);
    const int code = run_message_loop(GetModuleHandleA(nullptr));
    set_message_source(nullptr);
    EXPECT_NE(code, 0);
}

struct ExitCase {
    const char* name;
    bool rotating;
    bool close_box;
};

constexpr ExitCase EXIT_CASES[] = {
    {"Exit while sorting", false, false},
    {"Exit while rotating", true, false},
    {"close box while sorting", false, true},
};

TEST_F(CommandsTest, ExitAndCloseBoxStopTheWorkerAndReleaseEverything) {
    for (const ExitCase& exit : EXIT_CASES) {
        SCOPED_TRACE(exit.name);
        if (!current_main_window()) {
            ASSERT_NE(create_main_window(GetModuleHandleA(nullptr)), nullptr);
            swap_platform_service(&PlatformServices::repaint, counting_repaint);
        }
        // A big image, so that releasing it under a running worker would
        // fault rather than pass unseen.
        sort_settings.image_size = IMAGE_SIZE_BIG;
        command(IDM_START);
        if (exit.rotating) command(IDM_TOGGLE_ROTATION);
        ASSERT_TRUE(wait_for_repaints(1));
        ASSERT_TRUE(worker_is_running());

        HWND window = current_main_window();
        if (exit.close_box) {
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            command(IDM_EXIT);
        }
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(current_main_window(), nullptr);
        EXPECT_FALSE(worker_is_running());
        EXPECT_EQ(image_buffer.pixels, nullptr);
        EXPECT_EQ(palette, nullptr);
        EXPECT_EQ(blocks_in_use(), 0);
        EXPECT_EQ(run_message_loop(GetModuleHandleA(nullptr)), 0) << "the quit code";
    }
}

}  // namespace
