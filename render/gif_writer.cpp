#include "render/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <vector>

#include "engine/image.h"

struct GifFile {
    GifFileType* file = nullptr;
    std::FILE* stream = nullptr;
    int width = 0;
    int height = 0;
    // giflib's line writer takes a mutable row, so each row is copied here;
    // made once, so that adding a frame needs no memory of ours.
    std::vector<GifByteType> row;
};

namespace {

constexpr int GIF_COLOUR_BITS = 8;

// giflib writes through this, so the stream stays ours to flush and close.
int write_to_stream(GifFileType* file, const GifByteType* bytes, int length) {
    auto* gif = static_cast<GifFile*>(file->UserData);
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<std::size_t>(length), gif->stream));
}

std::string gif_failure(int code) {
    const char* text = GifErrorString(code);
    return text ? text : "GIF write failed";
}

// A giflib colour map of `table`; the caller frees it.
ColorMapObject* colour_map_of(const GifColourTable& table) {
    ColorMapObject* map = GifMakeMapObject(GIF_TABLE_SIZE, nullptr);
    if (!map) return nullptr;
    for (int i = 0; i < GIF_TABLE_SIZE; ++i) {
        map->Colors[i].Red = static_cast<GifByteType>(red_of(table[i]));
        map->Colors[i].Green = static_cast<GifByteType>(green_of(table[i]));
        map->Colors[i].Blue = static_cast<GifByteType>(blue_of(table[i]));
    }
    return map;
}

// The NETSCAPE2.0 application block with a loop count of 0: loop forever.
bool put_loop_forever(GifFileType* file) {
    static const GifByteType NAME[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType LOOP[] = {1, 0, 0};
    return EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(file, sizeof NAME, NAME) == GIF_OK &&
           EGifPutExtensionBlock(file, sizeof LOOP, LOOP) == GIF_OK && EGifPutExtensionTrailer(file) == GIF_OK;
}

}  // namespace

GifColourTable gif_table_of(const std::uint32_t* palette_table) {
    GifColourTable table{};
    for (int k = 0; k < PALETTE_SIZE; ++k) table[k] = palette_table[k] & PIXEL_COLOUR_MASK;
    return table;
}

GifFile* begin_gif(std::FILE* stream, int width, int height, const GifColourTable& global, std::string& error) {
    auto* gif = new GifFile{nullptr, stream, width, height, std::vector<GifByteType>(static_cast<std::size_t>(width))};
    int code = 0;
    gif->file = EGifOpen(gif, write_to_stream, &code);
    if (!gif->file) {
        error = gif_failure(code);
        delete gif;
        return nullptr;
    }
    EGifSetGifVersion(gif->file, true);
    ColorMapObject* map = colour_map_of(global);
    const bool ok = map &&
                    EGifPutScreenDesc(gif->file, width, height, GIF_COLOUR_BITS, GIF_BLACK_INDEX, map) == GIF_OK &&
                    put_loop_forever(gif->file);
    GifFreeMapObject(map);
    if (!ok) {
        error = map ? gif_failure(gif->file->Error) : "out of memory";
        end_gif(gif, error);
        return nullptr;
    }
    return gif;
}

bool add_gif_frame(GifFile* gif, const std::uint8_t* indices, int delay, const GifColourTable* local,
                   std::string& error) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = delay;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType control_bytes[4];
    const std::size_t control_size = EGifGCBToExtension(&control, control_bytes);

    ColorMapObject* map = local ? colour_map_of(*local) : nullptr;
    bool ok =
        (!local || map) &&
        EGifPutExtension(gif->file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(control_size), control_bytes) == GIF_OK &&
        EGifPutImageDesc(gif->file, 0, 0, gif->width, gif->height, false, map) == GIF_OK;
    for (int y = 0; ok && y < gif->height; ++y) {
        const std::uint8_t* source = indices + static_cast<std::size_t>(y) * gif->width;
        std::copy(source, source + gif->width, gif->row.begin());
        ok = EGifPutLine(gif->file, gif->row.data(), gif->width) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (!ok) error = (local && !map) ? "out of memory" : gif_failure(gif->file->Error);
    return ok;
}

bool end_gif(GifFile* gif, std::string& error) {
    int code = 0;
    const bool ok = EGifCloseFile(gif->file, &code) == GIF_OK;
    if (!ok && error.empty()) error = gif_failure(code);
    delete gif;
    return ok;
}
