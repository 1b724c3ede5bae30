#include "tools/driving/screen_picture.h"

#include <array>
#include <unordered_map>

#include "engine/palette.h"

namespace {

std::array<int, PALETTE_SIZE> histogram(const std::vector<int>& indices) {
    std::array<int, PALETTE_SIZE> counts = {};
    for (int index : indices)
        if (index >= 0) ++counts[index];
    return counts;
}

}  // namespace

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
    if (colour == 0) return BLACK_INDEX;
    const auto found = indices.find(colour);
    return found == indices.end() ? FOREIGN_INDEX : found->second;
}

std::vector<int> palette_indices(const Picture& picture) {
    std::vector<int> indices;
    indices.reserve(picture.pixels.size());
    for (std::uint32_t colour : picture.pixels) indices.push_back(palette_index_of(colour));
    return indices;
}

std::vector<int> shown_indices(HWND window, int left, int top, int side, int factor) {
    HDC device = GetDC(window);
    const Picture picture = capture_area(device, left, top, side * factor, side * factor);
    ReleaseDC(window, device);
    std::vector<int> indices;
    if (picture.pixels.empty()) return indices;
    indices.reserve(static_cast<std::size_t>(side) * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            indices.push_back(palette_index_of(picture.at(x * factor + factor / 2, y * factor + factor / 2)));
    return indices;
}

bool blocks_are_uniform(HWND window, int left, int top, int side, int factor, int blocks) {
    const int first = (side - blocks) / 2;
    HDC device = GetDC(window);
    const Picture picture =
        capture_area(device, left + first * factor, top + first * factor, blocks * factor, blocks * factor);
    ReleaseDC(window, device);
    if (picture.pixels.empty()) return false;
    int coloured = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t corner = picture.at(x - x % factor, y - y % factor);
            if (picture.at(x, y) != corner) return false;
            coloured += corner != 0;
        }
    }
    return coloured > 0;
}

int palette_step_between(const std::vector<int>& before, const std::vector<int>& after) {
    if (before.size() != after.size()) return -1;
    int step = 0;
    bool first = true;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == FOREIGN_INDEX || after[i] == FOREIGN_INDEX) return -1;
        if ((before[i] == BLACK_INDEX) != (after[i] == BLACK_INDEX)) return -1;
        if (before[i] == BLACK_INDEX) continue;
        const int moved = (after[i] - before[i] + PALETTE_SIZE) % PALETTE_SIZE;
        if (!first && moved != step) return -1;
        step = moved;
        first = false;
    }
    return step;
}

bool looks_sorted_between(const std::vector<int>& before, const std::vector<int>& after) {
    if (before.empty() || before.size() != after.size() || before == after) return false;
    const auto counts = histogram(before);
    int coloured = 0;
    for (int c : counts) coloured += c;
    return coloured > 0 && counts == histogram(after);
}

bool looks_rotated_between(const std::vector<int>& before, const std::vector<int>& after) {
    return palette_step_between(before, after) > 0;
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
