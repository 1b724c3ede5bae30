// The engine's small software rasteriser: a memory drawing context with a
// current bitmap, pen, brush and position, and the few operations the surface
// masks and the Start command rely on.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t COLOUR_BLACK = 0x000000;
inline constexpr std::uint32_t COLOUR_WHITE = 0xFFFFFF;
inline constexpr std::uint32_t COLOUR_BITS = 0x00FFFFFF;

inline constexpr std::uint32_t BI_BITFIELDS_CODE = 3;

// Byte for byte a BITMAPINFOHEADER followed by the three colour masks, so the
// platform can show the pixels as they are.
struct ImageHeader {
    std::uint32_t size;
    std::int32_t width;
    std::int32_t height;  // negative: rows run top-down
    std::uint16_t planes;
    std::uint16_t bit_count;
    std::uint32_t compression;
    std::uint32_t size_image;
    std::int32_t x_pels_per_meter;
    std::int32_t y_pels_per_meter;
    std::uint32_t clr_used;
    std::uint32_t clr_important;
    std::uint32_t masks[3];  // red, green, blue
};
static_assert(sizeof(ImageHeader) == 52);

struct Bitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t* bits = nullptr;  // top-down rows of width words
};

enum StockObject { STOCK_WHITE_BRUSH, STOCK_BLACK_BRUSH, STOCK_WHITE_PEN, STOCK_BLACK_PEN };

struct DrawingContext {
    Bitmap* bitmap = nullptr;  // the selected bitmap, never none
    Bitmap placeholder;        // 1 x 1, selected while nothing else is
    std::uint32_t placeholder_bits = 0;
    StockObject pen = STOCK_BLACK_PEN;
    StockObject brush = STOCK_WHITE_BRUSH;
    std::int32_t x = 0;  // current position
    std::int32_t y = 0;
};

// A fresh context holds the black pen, the white brush and the placeholder.
DrawingContext* create_drawing_context();
void delete_drawing_context(DrawingContext* context);

// A bitmap described by `header` (32 bits per pixel, top-down). Returns
// nullptr when the bitmap cannot be made; `*bits` is nullptr when it has no
// pixel memory (the bitmap is then returned all the same).
Bitmap* create_dib_section(const ImageHeader& header, std::uint32_t** bits);
void delete_bitmap(Bitmap* bitmap);

// Makes `bitmap` current and returns the one it replaces; nullptr selects the
// placeholder.
Bitmap* select_bitmap(DrawingContext* context, Bitmap* bitmap);
// Makes a stock pen or brush current and returns the one of that kind it
// replaces.
StockObject select_object(DrawingContext* context, StockObject object);

// Fills the ellipse inscribed in [left, right) x [top, bottom) with the brush
// and outlines it one pixel wide with the pen.
void draw_ellipse(DrawingContext* context, int left, int top, int right, int bottom);

void move_to(DrawingContext* context, int x, int y);
// A one-pixel line in the pen from the current position to (x, y), start
// included, end excluded; the position moves to (x, y).
void line_to(DrawingContext* context, int x, int y);

// Paints with the brush every pixel reachable from (x, y) through
// edge-sharing neighbours whose colour is not `border`.
void flood_fill(DrawingContext* context, int x, int y, std::uint32_t border);

// The colour bits of (x, y); 0 exactly for black, and outside the bitmap.
std::uint32_t get_pixel(const DrawingContext* context, int x, int y);

// Makes the top-left width x height pixels of the bitmap black.
void blacken(DrawingContext* context, int width, int height);
