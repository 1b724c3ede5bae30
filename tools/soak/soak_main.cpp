// Soaks the real program: runs huesift.exe under a long series of random
// commands (Start, Toggle rotation, Options, Help, Exit and the close box,
// and messages sent from a second thread while a worker is being stopped),
// starts it again whenever it has ended, and after every command checks that
// it still answers. At the end it reports crashes, hangs, the longest answer
// time, and whether private memory and GDI objects came back to their level
// after warm-up; any of these going wrong makes the exit code non-zero.
//   huesift_soak PATH-OF-huesift.exe COMMAND-COUNT [SEED]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "resources/resource_ids.h"
#include "tools/driving/huesift_process.h"
#include "tools/soak/process_measures.h"
#include "tools/soak/soak_steps.h"

namespace {

// Each process is measured in the same state every time (a small image
// sorting): first once it has lived through WARM_UP_COMMANDS random
// commands, which lets Wine create what it still creates lazily after the
// warm-up, then again every MEASURE_EVERY commands.
constexpr long WARM_UP_COMMANDS = 60;
constexpr long MEASURE_EVERY = 20;
// Growth allowed against a process's first measure. The heap's own slack
// moves the measure between about 6,200 and 8,300 KiB in one process, back
// and forth and never above that, since blocks of a few hundred KiB, such as
// a small image, come from heap segments that are kept once grown. A small
// image is 256 KiB and a 512 image 1 MiB, so one leaked image per Start
// still goes past the tolerance within a dozen Starts.
constexpr std::int64_t MEMORY_TOLERANCE_KIB = 3072;
// Under Wine device contexts, each with a region and a bitmap, come and stay
// as dialog controls draw themselves, up to 53 contexts in a process. The
// warm-up presses every radio button, which brings most of them; in a
// 10,000-command run some processes still gained up to 10 contexts (30
// objects) after their first measure, while fonts, brushes and the rest
// moved by at most one. A leak of one object per Start, about a fifth of all
// commands, goes past the tolerance within some 250 commands.
constexpr int GDI_TOLERANCE = 48;

struct Measure {
    std::uint64_t memory_kib = 0;
    int gdi_objects = -1;
};

// One run of the program, from its start to its end.
struct Life {
    HuesiftProcess process;
    bool running = false;
    bool asked_to_end = false;
    long commands = 0;
    bool measured = false;
    Measure first;
};

struct Tally {
    long commands = 0;
    long launches = 0;
    long crashes = 0;
    long hangs = 0;
    long measures_compared = 0;
    bool gdi_uncounted = false;
    double longest_answer_ms = 0;
    // The comparisons with the most growth so far: first and later measure.
    std::uint64_t memory_first_kib = 0;
    std::uint64_t memory_later_kib = 0;
    int gdi_first = 0;
    int gdi_later = 0;
};

double milliseconds_since(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::int64_t kib_growth(std::uint64_t first, std::uint64_t later) {
    return static_cast<std::int64_t>(later) - static_cast<std::int64_t>(first);
}

// Waits for the program asked to end. A close request that meets a modal
// dialog does nothing, as the close box of a window under a dialog does
// nothing; such a dialog (opened late by a command the program held back
// during a stop) is answered and the close box pressed again, as a user
// would. False when the program has not ended within the bound.
bool wait_for_end(const HuesiftProcess& process, DWORD& exit_code) {
    const bool ended = wait_until([&] {
        if (!still_running(process)) return true;
        if (close_stray_dialogs(process)) PostMessageA(process.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return false;
    });
    return ended && GetExitCodeProcess(process.info.hProcess, &exit_code) != 0;
}

// The program has ended: a crash unless it was asked to end and gave 0.
void record_end(Life& life, Tally& tally, const char* step, long index) {
    DWORD exit_code = 1;
    const bool ended = wait_for_end(life.process, exit_code);
    if (!ended) {
        ++tally.hangs;
        std::printf("soak: command %ld (%s): the program did not end when asked; it showed:\n%s", index, step,
                    describe_windows_of(life.process).c_str());
    } else if (exit_code != 0 || !life.asked_to_end) {
        ++tally.crashes;
        std::printf("soak: command %ld (%s): the program ended with code 0x%lx%s\n", index, step,
                    static_cast<unsigned long>(exit_code), life.asked_to_end ? "" : " without being asked to");
    }
    close_process(life.process);
    life = Life{};
}

// Checks that the program has ended properly or still answers within the
// bound, and records the answer time. Ends a hung program.
void check_answer(Life& life, Tally& tally, const char* step, long index) {
    if (life.asked_to_end || !still_running(life.process)) {
        record_end(life, tally, step, index);
        return;
    }
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    DWORD_PTR ignored = 0;
    const bool answered =
        SendMessageTimeoutA(life.process.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ANSWER_BOUND_MS, &ignored) != 0;
    const double answer_ms = milliseconds_since(start);
    if (answered) {
        if (answer_ms > tally.longest_answer_ms) tally.longest_answer_ms = answer_ms;
        return;
    }
    if (!still_running(life.process)) {
        record_end(life, tally, step, index);
        return;
    }
    ++tally.hangs;
    std::printf("soak: command %ld (%s): no answer within %d ms; the program is ended; it showed:\n%s", index, step,
                ANSWER_BOUND_MS, describe_windows_of(life.process).c_str());
    close_process(life.process);
    life = Life{};
}

void measure(Life& life, Tally& tally, long index) {
    reach_measuring_state(life.process);
    check_answer(life, tally, "measuring", index);
    if (!life.running) return;
    const Measure now{private_memory_kib(life.process.info.hProcess), gdi_object_count(life.process.info.hProcess)};
    if (!life.measured) {
        life.first = now;
        life.measured = true;
        return;
    }
    ++tally.measures_compared;
    const bool first_comparison = tally.measures_compared == 1;
    if (first_comparison || kib_growth(life.first.memory_kib, now.memory_kib) >
                                kib_growth(tally.memory_first_kib, tally.memory_later_kib)) {
        tally.memory_first_kib = life.first.memory_kib;
        tally.memory_later_kib = now.memory_kib;
    }
    if (first_comparison || now.gdi_objects - life.first.gdi_objects > tally.gdi_later - tally.gdi_first) {
        tally.gdi_first = life.first.gdi_objects;
        tally.gdi_later = now.gdi_objects;
    }
    if (now.gdi_objects < 0 || life.first.gdi_objects < 0) tally.gdi_uncounted = true;
}

bool launch(const std::string& program, Life& life, Tally& tally) {
    life = Life{};
    if (!start_huesift(program, life.process)) {
        close_process(life.process);
        return false;
    }
    life.running = true;
    ++tally.launches;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || std::atol(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: huesift_soak PATH-OF-huesift.exe COMMAND-COUNT [SEED]\n");
        return 2;
    }
    const std::string program = argv[1];
    const long count = std::atol(argv[2]);
    const unsigned seed =
        argc == 4 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : static_cast<unsigned>(GetTickCount());
    std::printf("soak: %ld commands, seed %u\n", count, seed);
    std::mt19937 random(seed);

    Tally tally;
    Life life;
    for (long index = 1; index <= count; ++index) {
        if (!life.running) {
            if (!launch(program, life, tally)) {
                std::printf("soak: the program could not be started\n");
                return 1;
            }
            warm_up(life.process);
            check_answer(life, tally, "the warm-up", index);
            if (!life.running) continue;
        }
        close_stray_dialogs(life.process);
        const StepDone step = run_random_step(life.process, random);
        life.asked_to_end = step.asked_to_end;
        ++tally.commands;
        ++life.commands;
        check_answer(life, tally, step.name, index);
        if (life.running && life.commands >= WARM_UP_COMMANDS && life.commands % MEASURE_EVERY == 0) {
            measure(life, tally, index);
        }
    }
    if (life.running) {
        PostMessageA(life.process.window, WM_COMMAND, IDM_EXIT, 0);
        life.asked_to_end = true;
        check_answer(life, tally, "the final Exit", count);
    }

    const bool compared = tally.measures_compared > 0;
    const bool grew = kib_growth(tally.memory_first_kib, tally.memory_later_kib) > MEMORY_TOLERANCE_KIB ||
                      tally.gdi_later - tally.gdi_first > GDI_TOLERANCE;
    std::printf("soak: %ld commands, %ld crashes, %ld hangs, longest answer %.0f ms, ", tally.commands, tally.crashes,
                tally.hangs, tally.longest_answer_ms);
    if (compared) {
        std::printf("memory %llu -> %llu KiB, GDI objects %d -> %d (largest growth of %ld measures in %ld launches)\n",
                    static_cast<unsigned long long>(tally.memory_first_kib),
                    static_cast<unsigned long long>(tally.memory_later_kib), tally.gdi_first, tally.gdi_later,
                    tally.measures_compared, tally.launches);
    } else {
        std::printf(
            "memory and GDI objects not compared: no run of the program lived through %ld commands "
            "(%ld launches)\n",
            WARM_UP_COMMANDS + MEASURE_EVERY, tally.launches);
    }
    if (tally.gdi_uncounted) std::printf("soak: the GDI objects could not be counted\n");
    if (compared && grew) {
        std::printf("soak: growth beyond the tolerance of %lld KiB and %d GDI objects\n",
                    static_cast<long long>(MEMORY_TOLERANCE_KIB), GDI_TOLERANCE);
    }
    return tally.crashes == 0 && tally.hangs == 0 && compared && !tally.gdi_uncounted && !grew ? 0 : 1;
}
