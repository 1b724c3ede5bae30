// A stand-in for the part of Google Benchmark's interface that Huesift's
// benchmarks use, for the Windows build whose toolchain has no Google
// Benchmark. Each benchmark runs until it has taken about half a second of
// the thread's processor time, five times, the repetitions taken round all benchmarks in turn; the median time
// per iteration and the median item rate are printed. An optional first
// argument keeps only the benchmarks whose name contains it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace benchmark {

// The calling thread's processor time, as Google Benchmark counts it: on a
// machine shared with other work, wall time would measure the others too.
double thread_cpu_seconds();

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond };

class State {
public:
    State(std::int64_t arg, std::int64_t iterations) : arg_(arg), max_(iterations) {}

    struct Iterator {
        State* state;
        std::int64_t left;
        bool operator!=(const Iterator&) const {
            if (left > 0) return true;
            state->stop_ = thread_cpu_seconds();
            return false;
        }
        void operator++() { --left; }
        struct __attribute__((unused)) Value {};
        Value operator*() const { return {}; }
    };
    Iterator begin() {
        start_ = thread_cpu_seconds();
        return Iterator{this, max_};
    }
    Iterator end() { return Iterator{this, 0}; }

    std::int64_t range(int) const { return arg_; }
    std::int64_t iterations() const { return max_; }
    void SetItemsProcessed(std::int64_t items) { items_ = items; }

    double seconds() const { return stop_ - start_; }
    std::int64_t items() const { return items_; }

private:
    std::int64_t arg_;
    std::int64_t max_;
    std::int64_t items_ = 0;
    double start_ = 0, stop_ = 0;
};

using Function = void (*)(State&);

class Benchmark {
public:
    Benchmark(const char* name, Function function);
    Benchmark* Arg(std::int64_t arg);
    Benchmark* DenseRange(std::int64_t first, std::int64_t last);
    Benchmark* Unit(TimeUnit unit);

    std::string name;
    Function function;
    std::vector<std::int64_t> args;
    TimeUnit unit = kNanosecond;
};

Benchmark* register_benchmark(const char* name, Function function);

template <typename T>
inline void DoNotOptimize(T const& value) {
    asm volatile("" : : "r,m"(value) : "memory");
}

}  // namespace benchmark

#define HUESIFT_BENCH_CONCAT2(a, b) a##b
#define HUESIFT_BENCH_CONCAT(a, b) HUESIFT_BENCH_CONCAT2(a, b)
#define BENCHMARK(function)                                                              \
    static ::benchmark::Benchmark* HUESIFT_BENCH_CONCAT(bench_registration_, __LINE__) = \
        ::benchmark::register_benchmark(#function, function)
