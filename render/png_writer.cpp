#include "render/png_writer.h"

#include <png.h>

#include <csetjmp>

#include "engine/image.h"

namespace {

// libpng reports failure by a long jump back into encode_png.
void on_png_error(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// Only plain values live in this frame, which the long jump returns to.
bool encode_png(std::FILE* stream, std::uint32_t width, std::uint32_t height, png_bytep* rows, png_text* chunks,
                int chunk_count, std::string& error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, on_png_error, on_png_warning);
    if (!png) {
        error = "libpng could not start";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        if (error.empty()) error = "libpng could not start";
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, stream);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_text(png, info, chunks, chunk_count);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool write_png(std::FILE* stream, const std::uint32_t* pixels, std::uint32_t width, std::uint32_t height,
               const std::vector<RecipeEntry>& text, std::string& error) {
    std::vector<png_byte> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        rgb[3 * i] = static_cast<png_byte>(red_of(pixels[i]));
        rgb[3 * i + 1] = static_cast<png_byte>(green_of(pixels[i]));
        rgb[3 * i + 2] = static_cast<png_byte>(blue_of(pixels[i]));
    }
    std::vector<png_bytep> rows(height);
    for (std::uint32_t y = 0; y < height; ++y) rows[y] = &rgb[static_cast<std::size_t>(y) * width * 3];
    std::vector<png_text> chunks(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(text[i].key.c_str());
        chunks[i].text = const_cast<char*>(text[i].value.c_str());
        chunks[i].text_length = text[i].value.size();
    }

    return encode_png(stream, width, height, rows.data(), chunks.data(), static_cast<int>(chunks.size()), error);
}
