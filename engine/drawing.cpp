#include "engine/drawing.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "engine/global_memory.h"

namespace {

std::uint32_t stock_colour(StockObject object) {
    return (object == STOCK_WHITE_BRUSH || object == STOCK_WHITE_PEN) ? COLOUR_WHITE : COLOUR_BLACK;
}

bool is_pen(StockObject object) { return object == STOCK_WHITE_PEN || object == STOCK_BLACK_PEN; }

bool inside_bitmap(const Bitmap& bitmap, int x, int y) {
    return x >= 0 && y >= 0 && x < bitmap.width && y < bitmap.height;
}

void put_pixel(DrawingContext* context, int x, int y, std::uint32_t colour) {
    Bitmap& bitmap = *context->bitmap;
    if (inside_bitmap(bitmap, x, y)) bitmap.bits[y * bitmap.width + x] = colour;
}

// Whether the centre of pixel (x, y) lies in the ellipse inscribed in the box
// whose doubled centre is (sum_x, sum_y) and whose diameters are (a, b). All
// in doubled integer coordinates, so the test is exact and the shape exactly
// symmetric about both axes (and about the diagonals when a == b).
bool in_ellipse(int x, int y, int sum_x, int sum_y, std::int64_t a, std::int64_t b) {
    const std::int64_t dx = 2 * x + 1 - sum_x;
    const std::int64_t dy = 2 * y + 1 - sum_y;
    return dx * dx * b * b + dy * dy * a * a <= a * a * b * b;
}

}  // namespace

DrawingContext* create_drawing_context() {
    auto* context = new (std::nothrow) DrawingContext;
    if (!context) return nullptr;
    context->placeholder.width = 1;
    context->placeholder.height = 1;
    context->placeholder.bits = &context->placeholder_bits;
    context->bitmap = &context->placeholder;
    return context;
}

void delete_drawing_context(DrawingContext* context) { delete context; }

Bitmap* create_dib_section(const ImageHeader& header, std::uint32_t** bits) {
    *bits = nullptr;
    const std::int32_t width = header.width;
    const std::int32_t height = header.height < 0 ? -header.height : header.height;
    if (header.size != sizeof(ImageHeader) - sizeof(header.masks) || header.bit_count != 32 || width <= 0 ||
        height <= 0)
        return nullptr;
    void* block = allocate_zeroed(sizeof(Bitmap), ALLOC_BITMAP);
    if (!block) return nullptr;
    auto* bitmap = new (block) Bitmap;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bits = static_cast<std::uint32_t*>(allocate_zeroed(
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * sizeof(std::uint32_t), ALLOC_BITMAP_BITS));
    *bits = bitmap->bits;
    return bitmap;
}

void delete_bitmap(Bitmap* bitmap) {
    if (!bitmap) return;
    release_block(bitmap->bits);
    bitmap->~Bitmap();
    release_block(bitmap);
}

Bitmap* select_bitmap(DrawingContext* context, Bitmap* bitmap) {
    Bitmap* previous = context->bitmap;
    context->bitmap = bitmap ? bitmap : &context->placeholder;
    return previous;
}

StockObject select_object(DrawingContext* context, StockObject object) {
    StockObject& slot = is_pen(object) ? context->pen : context->brush;
    return std::exchange(slot, object);
}

void draw_ellipse(DrawingContext* context, int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int a = right - left;
    const int b = bottom - top;
    if (a <= 0 || b <= 0) return;
    const int sum_x = left + right;
    const int sum_y = top + bottom;
    const std::uint32_t pen = stock_colour(context->pen);
    const std::uint32_t brush = stock_colour(context->brush);
    const Bitmap& bitmap = *context->bitmap;
    const int x_begin = std::max(left, 0);
    const int x_end = std::min(right, static_cast<int>(bitmap.width));
    const int y_begin = std::max(top, 0);
    const int y_end = std::min(bottom, static_cast<int>(bitmap.height));
    for (int y = y_begin; y < y_end; ++y) {
        for (int x = x_begin; x < x_end; ++x) {
            if (!in_ellipse(x, y, sum_x, sum_y, a, b)) continue;
            // A pixel with an edge-sharing neighbour outside the ellipse is on
            // its one-pixel outline.
            const bool rim = !in_ellipse(x - 1, y, sum_x, sum_y, a, b) || !in_ellipse(x + 1, y, sum_x, sum_y, a, b) ||
                             !in_ellipse(x, y - 1, sum_x, sum_y, a, b) || !in_ellipse(x, y + 1, sum_x, sum_y, a, b);
            put_pixel(context, x, y, rim ? pen : brush);
        }
    }
}

void move_to(DrawingContext* context, int x, int y) {
    context->x = x;
    context->y = y;
}

void line_to(DrawingContext* context, int x, int y) {
    const int x0 = context->x;
    const int y0 = context->y;
    const int dx = std::abs(x - x0);
    const int dy = std::abs(y - y0);
    const int sx = x >= x0 ? 1 : -1;
    const int sy = y >= y0 ? 1 : -1;
    const int steps = std::max(dx, dy);
    const std::uint32_t pen = stock_colour(context->pen);
    // One pixel per step along the longer axis; the shorter coordinate is
    // the exact one rounded half away from the start.
    for (int i = 0; i < steps; ++i) {
        int px, py;
        if (dx >= dy) {
            px = x0 + sx * i;
            py = y0 + sy * ((2 * i * dy + dx) / (2 * dx));
        } else {
            py = y0 + sy * i;
            px = x0 + sx * ((2 * i * dx + dy) / (2 * dy));
        }
        put_pixel(context, px, py, pen);
    }
    move_to(context, x, y);
}

void flood_fill(DrawingContext* context, int x, int y, std::uint32_t border) {
    Bitmap& bitmap = *context->bitmap;
    const int width = bitmap.width;
    const int height = bitmap.height;
    border &= COLOUR_BITS;
    auto fillable = [&](int px, int py) { return (bitmap.bits[py * width + px] & COLOUR_BITS) != border; };
    if (!inside_bitmap(bitmap, x, y) || !fillable(x, y)) return;

    const std::uint32_t brush = stock_colour(context->brush);
    std::vector<bool> done(static_cast<std::size_t>(width) * height, false);
    // Horizontal runs are filled whole; the rows above and below of each run
    // are queued on an explicit stack, so no call depth grows with the area.
    std::vector<std::pair<int, int>> pending{{x, y}};
    while (!pending.empty()) {
        auto [sx, sy] = pending.back();
        pending.pop_back();
        if (done[sy * width + sx] || !fillable(sx, sy)) continue;
        int run_left = sx;
        while (run_left > 0 && !done[sy * width + run_left - 1] && fillable(run_left - 1, sy)) --run_left;
        int run_right = sx;
        while (run_right + 1 < width && !done[sy * width + run_right + 1] && fillable(run_right + 1, sy)) ++run_right;
        for (int px = run_left; px <= run_right; ++px) {
            done[sy * width + px] = true;
            for (int ny : {sy - 1, sy + 1}) {
                if (ny < 0 || ny >= height) continue;
                // Queue one seed per stretch of fillable pixels next to the run.
                if (!done[ny * width + px] && fillable(px, ny) &&
                    (px == run_left || done[ny * width + px - 1] || !fillable(px - 1, ny)))
                    pending.emplace_back(px, ny);
            }
        }
        for (int px = run_left; px <= run_right; ++px) bitmap.bits[sy * width + px] = brush;
    }
}

std::uint32_t get_pixel(const DrawingContext* context, int x, int y) {
    const Bitmap& bitmap = *context->bitmap;
    if (!inside_bitmap(bitmap, x, y)) return 0;
    return bitmap.bits[y * bitmap.width + x] & COLOUR_BITS;
}

void blacken(DrawingContext* context, int width, int height) {
    Bitmap& bitmap = *context->bitmap;
    const int w = std::min(width, static_cast<int>(bitmap.width));
    const int h = std::min(height, static_cast<int>(bitmap.height));
    for (int y = 0; y < h; ++y)
        std::fill_n(bitmap.bits + static_cast<std::size_t>(y) * bitmap.width, std::max(w, 0), 0u);
}
