// Times each of the four sort entries on one picture, in nanoseconds per
// iteration, after a warm-up. Built natively and to WebAssembly so the
// same loop is measured on each.
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "engine/image.h"
#include "engine/picture.h"
#include "engine/settings.h"

namespace {

struct Entry {
    const char* name;
    PictureRecipe recipe;
    std::uint64_t iterations;
};

constexpr std::uint64_t WARM_UP = 2'000'000;

double time_entry(const Entry& entry) {
    if (!image_buffer.drawing_context) open_drawing_context(nullptr);
    make_picture(entry.recipe);
    sort_picture(WARM_UP);
    const auto began = std::chrono::steady_clock::now();
    sort_picture(entry.iterations);
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - began;
    return spent.count() / static_cast<double>(entry.iterations);
}

}  // namespace

int main() {
    const Entry entries[] = {
        {"256 circle red up", {SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_UP, 1}, 30'000'000},
        {"256 circle red down", {SURFACE_CIRCLE, IMAGE_SIZE_SMALL, RED_DOWN, 1}, 30'000'000},
        {"512 triangle red up", {SURFACE_TRIANGLE, IMAGE_SIZE_BIG, RED_UP, 1}, 15'000'000},
        {"512 triangle red down", {SURFACE_TRIANGLE, IMAGE_SIZE_BIG, RED_DOWN, 1}, 15'000'000},
    };
    for (const Entry& entry : entries) std::printf("%s\t%.2f\n", entry.name, time_entry(entry));
    return 0;
}
