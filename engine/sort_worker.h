// The sort: the four worker entries (skip variant for 256 images, retry
// variant for 512 images, red up and red down), their pacing of repaints and
// the count of iterations they have run.
#pragma once

#include <cstdint>

#include "engine/platform.h"

enum SortEntryIndex { SORT_SKIP_RED_DOWN, SORT_SKIP_RED_UP, SORT_RETRY_RED_DOWN, SORT_RETRY_RED_UP };

void sort_worker_skip_red_down();
void sort_worker_skip_red_up();
void sort_worker_retry_red_down();
void sort_worker_retry_red_up();

// The entry the Start command runs for an image size and red direction, and
// its index (for run_sort_iterations).
WorkerEntry choose_sort_entry(std::int32_t image_size, std::int32_t red_direction);
SortEntryIndex choose_sort_entry_index(std::int32_t image_size, std::int32_t red_direction);

// Runs `iterations` iterations of entry `index` on the current image, on the
// calling thread, with the same loop the worker runs (pacing included). For
// tests and benchmarks.
void run_sort_iterations(SortEntryIndex index, std::uint64_t iterations);

// The iterations run by any entry (a worker or run_sort_iterations) since the
// last reset. Counted once per group of iterations by the thread that sorts;
// any thread may read it, and reads a count that only grows until the reset.
std::uint64_t sorted_iterations();
// Sets the count to 0. Only while nothing sorts.
void reset_sorted_iterations();
