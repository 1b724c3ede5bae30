// Relaxed whole-word loads and stores of pixel words: a worker writes the
// image while a paint reads it, and each word must be read and written whole.
// Nothing more is needed, so no ordering is asked for (plain moves on x86).
#pragma once

#include <atomic>
#include <cstdint>

// std::atomic_ref where the standard library has it; otherwise the compiler's
// own atomic builtins (GCC and Clang), which some standard libraries still in
// use lack the wrapper for.
#if defined(__cpp_lib_atomic_ref)

inline std::uint32_t load_relaxed(const std::uint32_t& word) {
    return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(word)).load(std::memory_order_relaxed);
}
inline void store_relaxed(std::uint32_t& word, std::uint32_t value) {
    std::atomic_ref<std::uint32_t>(word).store(value, std::memory_order_relaxed);
}

#else

inline std::uint32_t load_relaxed(const std::uint32_t& word) { return __atomic_load_n(&word, __ATOMIC_RELAXED); }
inline void store_relaxed(std::uint32_t& word, std::uint32_t value) {
    __atomic_store_n(&word, value, __ATOMIC_RELAXED);
}

#endif
