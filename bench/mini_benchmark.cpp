#include "bench/mini_benchmark.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace benchmark {

double thread_cpu_seconds() {
#ifdef _WIN32
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    auto ticks = [](const FILETIME& t) { return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) * 1e-7;  // 100 ns units
#else
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
#endif
}

namespace {

constexpr double TARGET_SECONDS = 0.5;
constexpr int REPETITIONS = 5;

std::vector<std::unique_ptr<Benchmark>>& registry() {
    static std::vector<std::unique_ptr<Benchmark>> benchmarks;
    return benchmarks;
}

struct Sample {
    double seconds_per_iteration;
    double items_per_second;
};

Sample run_once(Function function, std::int64_t arg) {
    // Grow the iteration count until one run takes long enough to time.
    std::int64_t iterations = 1;
    for (;;) {
        State state(arg, iterations);
        function(state);
        if (state.seconds() >= TARGET_SECONDS || iterations >= (std::int64_t(1) << 40)) {
            return {state.seconds() / iterations, state.items() / state.seconds()};
        }
        const double scale = state.seconds() > 0 ? TARGET_SECONDS * 1.2 / state.seconds() : 100;
        iterations = std::max(iterations + 1, static_cast<std::int64_t>(iterations * std::min(scale, 100.0)));
    }
}

struct Case {
    const Benchmark* bench;
    std::int64_t arg;
    bool has_arg;
    std::vector<Sample> samples;
};

std::string case_name(const Case& c) {
    if (!c.has_arg) return c.bench->name;
    return c.bench->name + "/" + std::to_string(c.arg);
}

void report(const Case& c) {
    auto median = [&](auto key) {
        std::vector<double> values;
        for (const Sample& s : c.samples) values.push_back(key(s));
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const double time = median([](const Sample& s) { return s.seconds_per_iteration; });
    const double rate = median([](const Sample& s) { return s.items_per_second; });
    const TimeUnit unit = c.bench->unit;
    const char* unit_name = unit == kMillisecond ? "ms" : unit == kMicrosecond ? "us" : "ns";
    const double scale = unit == kMillisecond ? 1e3 : unit == kMicrosecond ? 1e6 : 1e9;
    std::printf("%-32s %12.3f %s", (case_name(c) + "_median").c_str(), time * scale, unit_name);
    if (rate > 0) std::printf("   items_per_second=%.4gM/s", rate / 1e6);
    std::printf("\n");
}

}  // namespace

Benchmark::Benchmark(const char* n, Function f) : name(n), function(f) {}

Benchmark* Benchmark::Arg(std::int64_t arg) {
    args.push_back(arg);
    return this;
}

Benchmark* Benchmark::DenseRange(std::int64_t first, std::int64_t last) {
    for (std::int64_t a = first; a <= last; ++a) args.push_back(a);
    return this;
}

Benchmark* Benchmark::Unit(TimeUnit u) {
    unit = u;
    return this;
}

Benchmark* register_benchmark(const char* name, Function function) {
    registry().push_back(std::make_unique<Benchmark>(name, function));
    return registry().back().get();
}

}  // namespace benchmark

// Runs the benchmarks whose name (with its argument) contains the first
// command-line word, or all of them. The repetitions go round all cases in
// turn, so a change in the machine's load touches every case alike.
int main(int argc, char** argv) {
    const std::string filter = argc > 1 ? argv[1] : "";
    std::vector<benchmark::Case> cases;
    for (const auto& bench : benchmark::registry()) {
        if (bench->args.empty()) cases.push_back({bench.get(), 0, false, {}});
        for (std::int64_t arg : bench->args) cases.push_back({bench.get(), arg, true, {}});
    }
    std::erase_if(cases, [&](const benchmark::Case& c) { return case_name(c).find(filter) == std::string::npos; });
    std::printf("Huesift benchmarks (processor time, median of %d runs of about 0.5 s each, taken in turn)\n",
                benchmark::REPETITIONS);
    std::fflush(stdout);
    for (int i = 0; i < benchmark::REPETITIONS; ++i)
        for (auto& c : cases) c.samples.push_back(benchmark::run_once(c.bench->function, c.arg));
    for (const auto& c : cases) benchmark::report(c);
    return 0;
}
