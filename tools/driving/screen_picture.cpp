#include "tools/driving/screen_picture.h"

#include <unordered_map>

#include "engine/palette.h"

Picture capture_area(HDC source, int left, int top, int width, int height) {
    Picture picture;
    if (width <= 0 || height <= 0) return picture;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC memory = CreateCompatibleDC(source);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) {
        DeleteDC(memory);
        return picture;
    }
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
    picture.width = width;
    picture.height = height;
    const auto* words = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(words, words + static_cast<std::size_t>(width) * height);
    for (std::uint32_t& word : picture.pixels) word &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(section);
    DeleteDC(memory);
    return picture;
}

Picture capture_client(HWND window) {
    RECT client;
    if (!GetClientRect(window, &client)) return Picture{};
    HDC device = GetDC(window);
    Picture picture = capture_area(device, 0, 0, client.right, client.bottom);
    ReleaseDC(window, device);
    return picture;
}

int palette_index_of(std::uint32_t colour) {
    static const std::unordered_map<std::uint32_t, int> indices = [] {
        std::unordered_map<std::uint32_t, int> map;
        for (int i = 0; i < PALETTE_SIZE; ++i) map[palette_colour(i) & 0x00FFFFFF] = i;
        return map;
    }();
    const auto found = indices.find(colour);
    return found == indices.end() ? -1 : found->second;
}

Disorder picture_disorder(const Picture& picture, int side, std::int32_t red_direction) {
    if (picture.width < side || picture.height < side) return {};
    std::vector<std::uint32_t> square(static_cast<std::size_t>(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) square[static_cast<std::size_t>(y) * side + x] = picture.at(x, y);
    return measure_disorder(square.data(), side, side, red_direction);
}

ColourCounts count_colours(const Picture& picture, int side) {
    ColourCounts counts;
    for (int y = 0; y < side && y < picture.height; ++y) {
        for (int x = 0; x < side && x < picture.width; ++x) {
            const std::uint32_t colour = picture.at(x, y);
            if (colour == 0) {
                ++counts.black;
            } else if (palette_index_of(colour) >= 0) {
                ++counts.palette;
            } else {
                ++counts.other;
            }
        }
    }
    return counts;
}

bool black_outside(const Picture& picture, int side) {
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if ((x >= side || y >= side) && picture.at(x, y) != 0) return false;
        }
    }
    return true;
}
