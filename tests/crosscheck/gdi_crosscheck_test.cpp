// Draws every surface mask twice, with the platform's GDI (a DIB section in a
// memory DC, the stock pens and brushes, Ellipse, MoveToEx/LineTo and
// ExtFloodFill) and with the engine's rasteriser, and compares them pixel by
// pixel. Pixels well inside or well outside a shape must agree exactly; the
// differences on its edge are counted and printed.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "engine/drawing.h"
#include "engine/image.h"
#include "engine/surface.h"

namespace {

using Mask = std::vector<std::uint8_t>;  // 1 where the pixel is not black

Mask platform_mask(SurfaceKind surface, int size) {
    ImageHeader header;
    fill_image_header(header, size, size);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    Mask mask(static_cast<std::size_t>(size) * size, 0);
    if (!bitmap || !bits) {
        DeleteDC(dc);
        ADD_FAILURE() << "no DIB section";
        return mask;
    }
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    std::fill_n(static_cast<std::uint32_t*>(bits), size * size, 0u);

    // The same drawing as the engine's, with the same stock objects.
    const int w = size, h = size, t = triangle_height(size);
    switch (surface) {
        case SURFACE_CIRCLE:
        case SURFACE_TORUS:
            SelectObject(dc, GetStockObject(WHITE_PEN));
            SelectObject(dc, GetStockObject(WHITE_BRUSH));
            Ellipse(dc, 0, 0, w, h);
            if (surface == SURFACE_TORUS) {
                const int a = w / 4 + w / 2, b = h / 4 + h / 2;
                SelectObject(dc, GetStockObject(BLACK_BRUSH));
                Ellipse(dc, w - a, h - b, a, b);
            }
            break;
        case SURFACE_TRIANGLE:
        case SURFACE_TRIANGLE_INVERTED:
            SelectObject(dc, GetStockObject(WHITE_PEN));
            if (surface == SURFACE_TRIANGLE) {
                MoveToEx(dc, w / 2, 0, nullptr);
                LineTo(dc, w - 1, t);
                LineTo(dc, 0, t);
                LineTo(dc, w / 2, 0);
            } else {
                MoveToEx(dc, 0, 0, nullptr);
                LineTo(dc, w - 1, 0);
                LineTo(dc, w / 2, t);
                LineTo(dc, 0, 0);
            }
            SelectObject(dc, GetStockObject(WHITE_BRUSH));
            ExtFloodFill(dc, w / 2, h / 2, RGB(255, 255, 255), FLOODFILLBORDER);
            break;
        default:
            std::fill_n(static_cast<std::uint32_t*>(bits), size * size, 0x00FFFFFFu);
            break;
    }
    GdiFlush();
    const auto* words = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < size * size; ++i) mask[i] = (words[i] & 0x00FFFFFF) != 0;
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return mask;
}

Mask engine_mask(SurfaceKind surface, int size) {
    DrawingContext* dc = create_drawing_context();
    Bitmap bitmap;
    std::vector<std::uint32_t> words(static_cast<std::size_t>(size) * size, 0);
    bitmap.width = size;
    bitmap.height = size;
    bitmap.bits = words.data();
    select_bitmap(dc, &bitmap);
    if (surface == SURFACE_SQUARE)
        std::fill(words.begin(), words.end(), 0x00FFFFFFu);
    else
        draw_surface_mask(dc, surface, size);
    select_bitmap(dc, nullptr);
    delete_drawing_context(dc);
    Mask mask(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) mask[i] = words[i] != 0;
    return mask;
}

// A pixel is on a shape's edge when some pixel of its 3 x 3 neighbourhood
// differs from it in the platform's mask.
bool on_edge(const Mask& mask, int size, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= size || ny >= size) continue;
            if (mask[ny * size + nx] != mask[y * size + x]) return true;
        }
    return false;
}

}  // namespace

TEST(GdiCrossCheck, EveryMaskAgreesWithThePlatformAwayFromItsEdge) {
    const SurfaceKind surfaces[] = {SURFACE_SQUARE, SURFACE_CIRCLE, SURFACE_TORUS, SURFACE_TRIANGLE,
                                    SURFACE_TRIANGLE_INVERTED};
    for (int size : {256, 512}) {
        for (SurfaceKind surface : surfaces) {
            const Mask platform = platform_mask(surface, size);
            const Mask engine = engine_mask(surface, size);
            int interior = 0, edge = 0, engine_only = 0, platform_only = 0;
            int rows[2] = {size, -1};
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const int i = y * size + x;
                    if (platform[i] == engine[i]) continue;
                    (on_edge(platform, size, x, y) ? edge : interior) += 1;
                    (engine[i] ? engine_only : platform_only) += 1;
                    rows[0] = std::min(rows[0], y);
                    rows[1] = std::max(rows[1], y);
                }
            long surface_pixels = 0;
            for (std::uint8_t m : platform) surface_pixels += m;
            std::printf(
                "mask surface %d size %d: %ld platform surface pixels; %d differ on the edge "
                "(%d only in the engine's, %d only in the platform's)",
                surface, size, surface_pixels, edge, engine_only, platform_only);
            if (edge + interior > 0) std::printf(", rows %d-%d", rows[0], rows[1]);
            std::printf("; %d differ inside\n", interior);
            EXPECT_EQ(interior, 0) << "surface " << surface << " size " << size;
            EXPECT_GT(surface_pixels, size * size / 3);
        }
    }
}
