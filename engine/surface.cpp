#include "engine/surface.h"

#include "engine/drawing.h"
#include "engine/global_memory.h"
#include "engine/image.h"
#include "engine/palette.h"
#include "engine/image_geometry.h"
#include "engine/random.h"

namespace {

constexpr int TRIANGLE_HEIGHT_BIG = 444;
constexpr int TRIANGLE_HEIGHT_SMALL = 222;

// The circle's and the torus's one-pixel rim is drawn with the white pen, so
// it always belongs to the surface: the same seed then gives the same image
// whatever surfaces were built before in this run.
void draw_circle(DrawingContext* dc, int w, int h) {
    select_object(dc, STOCK_WHITE_PEN);
    select_object(dc, STOCK_WHITE_BRUSH);
    draw_ellipse(dc, 0, 0, w, h);
}

void draw_torus(DrawingContext* dc, int w, int h) {
    draw_circle(dc, w, h);
    const int a = w / 4 + w / 2;
    const int b = h / 4 + h / 2;
    select_object(dc, STOCK_BLACK_BRUSH);
    draw_ellipse(dc, w - a, h - b, a, b);
}

void draw_closed_triangle(DrawingContext* dc, int x0, int y0, int x1, int y1, int x2, int y2, int w, int h) {
    select_object(dc, STOCK_WHITE_PEN);
    move_to(dc, x0, y0);
    line_to(dc, x1, y1);
    line_to(dc, x2, y2);
    line_to(dc, x0, y0);
    select_object(dc, STOCK_WHITE_BRUSH);
    flood_fill(dc, w / 2, h / 2, COLOUR_WHITE);
}

}  // namespace

void draw_surface_mask(DrawingContext* dc, SurfaceKind surface, int size) {
    const int w = size, h = size, t = triangle_height(size);
    switch (surface) {
        case SURFACE_CIRCLE:
            draw_circle(dc, w, h);
            break;
        case SURFACE_TORUS:
            draw_torus(dc, w, h);
            break;
        case SURFACE_TRIANGLE:
            draw_closed_triangle(dc, w / 2, 0, w - 1, t, 0, t, w, h);
            break;
        case SURFACE_TRIANGLE_INVERTED:
            draw_closed_triangle(dc, 0, 0, w - 1, 0, w / 2, t, w, h);
            break;
        default:
            break;  // the square needs no mask
    }
}

int triangle_height(int image_size) {
    return image_size == IMAGE_SIZE_BIG ? TRIANGLE_HEIGHT_BIG : TRIANGLE_HEIGHT_SMALL;
}

bool build_surface(const PictureRecipe& recipe) {
    const int n = build_palette();
    if (n == 0) return false;
    use_counts = static_cast<std::uint32_t*>(allocate_zeroed(n * sizeof(std::uint32_t), ALLOC_USE_COUNTS));
    if (!use_counts) {
        // A palette without coloured pixels would let Toggle rotation
        // animate a black image; the failed Start keeps neither.
        release_palette();
        return false;
    }

    DrawingContext* dc = image_buffer.drawing_context;
    std::uint32_t* pixels = image_buffer.pixels;
    const int w = static_cast<int>(image_geometry.width);
    const int h = static_cast<int>(image_geometry.height);
    const SurfaceKind surface = recipe.surface;
    draw_surface_mask(dc, surface, recipe.image_size);

    seed_random(recipe.seed);

    if (surface == SURFACE_SQUARE) {
        for (std::uint32_t i = 0; i < image_geometry.pixel_count; ++i) pixels[i] = pick_colour(n);
    } else {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (get_pixel(dc, x, y) != COLOUR_BLACK) pixels[y * w + x] = pick_colour(n);
    }

    release_block(use_counts);
    use_counts = nullptr;
    return true;
}
