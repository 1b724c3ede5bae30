// The image the user watches: the pixel word layout, the header that
// describes it to the platform, its bitmap in the one drawing context, and
// its creation (saying what failed, for the front end to tell the user in
// its own words) and release together with the palette.
#pragma once

#include <cstdint>

#include "drawing.h"

inline constexpr std::uint32_t PIXEL_COLOUR_MASK = 0x00FFFFFF;
inline constexpr std::uint32_t PIXEL_TAG_SHIFT = 24;
inline constexpr std::uint32_t BACKGROUND_TAG = 0xFF;

inline std::uint32_t red_of(std::uint32_t word) { return (word >> 16) & 0xFF; }
inline std::uint32_t green_of(std::uint32_t word) { return (word >> 8) & 0xFF; }
inline std::uint32_t blue_of(std::uint32_t word) { return word & 0xFF; }

struct ImageBuffer {
    DrawingContext* drawing_context = nullptr;
    std::uint32_t* pixels = nullptr;
    ImageHeader* image_header = nullptr;
    Bitmap* image_bitmap = nullptr;
    Bitmap* previous_bitmap = nullptr;
};

extern ImageBuffer image_buffer;

// What create_image did: made the image, or the step that failed.
enum ImageOutcome {
    IMAGE_MADE,
    IMAGE_NO_CONTEXT,  // no drawing context is open
    IMAGE_NO_HEADER,   // no memory for the image header
    IMAGE_NO_BITMAP,   // the bitmap could not be created
    IMAGE_NO_BITS,     // the bitmap came without pixel memory
};

// Opens the one drawing context; the window handle is the platform's and is
// not needed by the engine's own rasteriser. False when it cannot be opened.
bool open_drawing_context(void* window);
void close_drawing_context();

// Replaces the image with a black width x height one selected into the
// drawing context. When it cannot be made there is no image and no palette,
// and the outcome says which step failed.
ImageOutcome create_image(std::uint32_t width, std::uint32_t height);

// Releases the image, if any, and the palette, if any.
void release_image();

// Fills `header` for a width x height top-down 32-bit image.
void fill_image_header(ImageHeader& header, std::int32_t width, std::int32_t height);
