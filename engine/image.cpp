#include "engine/image.h"

#include <cstring>

#include "engine/drawing.h"
#include "engine/global_memory.h"
#include "engine/palette.h"

ImageBuffer image_buffer;

namespace {
constexpr std::uint32_t RED_MASK = 0x00FF0000;
constexpr std::uint32_t GREEN_MASK = 0x0000FF00;
constexpr std::uint32_t BLUE_MASK = 0x000000FF;
constexpr std::uint32_t INFO_HEADER_BYTES = 40;
}  // namespace

void fill_image_header(ImageHeader& header, std::int32_t width, std::int32_t height) {
    header = ImageHeader{};
    header.size = INFO_HEADER_BYTES;
    header.width = width;
    header.height = -height;
    header.planes = 1;
    header.bit_count = 32;
    header.compression = BI_BITFIELDS_CODE;
    header.masks[0] = RED_MASK;
    header.masks[1] = GREEN_MASK;
    header.masks[2] = BLUE_MASK;
}

bool open_drawing_context(void* /*window*/) {
    if (image_buffer.drawing_context) return true;
    image_buffer.drawing_context = create_drawing_context();
    return image_buffer.drawing_context != nullptr;
}

void close_drawing_context() {
    if (!image_buffer.drawing_context) return;
    release_image();
    delete_drawing_context(image_buffer.drawing_context);
    image_buffer.drawing_context = nullptr;
}

ImageOutcome create_image(std::uint32_t width, std::uint32_t height) {
    release_image();
    if (!image_buffer.drawing_context) return IMAGE_NO_CONTEXT;

    auto* header = static_cast<ImageHeader*>(allocate_zeroed(sizeof(ImageHeader), ALLOC_IMAGE_HEADER));
    if (!header) return IMAGE_NO_HEADER;
    fill_image_header(*header, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));

    std::uint32_t* bits = nullptr;
    Bitmap* bitmap = create_dib_section(*header, &bits);
    if (!bitmap) {
        release_block(header);
        return IMAGE_NO_BITMAP;
    }
    if (!bits) {
        delete_bitmap(bitmap);
        release_block(header);
        return IMAGE_NO_BITS;
    }

    std::memset(bits, 0, static_cast<std::size_t>(width) * height * sizeof(std::uint32_t));
    image_buffer.image_header = header;
    image_buffer.image_bitmap = bitmap;
    image_buffer.pixels = bits;
    image_buffer.previous_bitmap = select_bitmap(image_buffer.drawing_context, bitmap);
    return IMAGE_MADE;
}

void release_image() {
    if (image_buffer.previous_bitmap) {
        select_bitmap(image_buffer.drawing_context, image_buffer.previous_bitmap);
        delete_bitmap(image_buffer.image_bitmap);
        release_block(image_buffer.image_header);
        image_buffer.image_bitmap = nullptr;
        image_buffer.previous_bitmap = nullptr;
        image_buffer.pixels = nullptr;
        image_buffer.image_header = nullptr;
    }
    release_palette();
}
