#include "bench/mini_benchmark.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace benchmark {

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

void report(const Benchmark& bench, std::int64_t arg, bool has_arg) {
    std::vector<Sample> samples;
    for (int i = 0; i < REPETITIONS; ++i) samples.push_back(run_once(bench.function, arg));
    auto median = [&](auto key) {
        std::vector<double> values;
        for (const Sample& s : samples) values.push_back(key(s));
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const double time = median([](const Sample& s) { return s.seconds_per_iteration; });
    const double rate = median([](const Sample& s) { return s.items_per_second; });
    const char* unit = bench.unit == kMillisecond ? "ms" : bench.unit == kMicrosecond ? "us" : "ns";
    const double scale = bench.unit == kMillisecond ? 1e3 : bench.unit == kMicrosecond ? 1e6 : 1e9;
    char name[96];
    if (has_arg)
        std::snprintf(name, sizeof name, "%s/%lld_median", bench.name.c_str(), static_cast<long long>(arg));
    else
        std::snprintf(name, sizeof name, "%s_median", bench.name.c_str());
    std::printf("%-32s %12.3f %s", name, time * scale, unit);
    if (rate > 0) std::printf("   items_per_second=%.4gM/s", rate / 1e6);
    std::printf("\n");
    std::fflush(stdout);
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

int main() {
    std::printf("Huesift benchmarks (median of 5 runs of about 0.5 s each)\n");
    for (const auto& bench : benchmark::registry()) {
        if (bench->args.empty()) {
            benchmark::report(*bench, 0, false);
        } else {
            for (std::int64_t arg : bench->args) benchmark::report(*bench, arg, true);
        }
    }
    return 0;
}
