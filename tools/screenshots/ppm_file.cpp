#include "tools/screenshots/ppm_file.h"

#include <cstdio>
#include <vector>

bool write_ppm(const Picture& picture, const char* path, int shrink) {
    if (picture.pixels.empty() || shrink < 1) return false;
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    const int width = picture.width / shrink;
    std::fprintf(out, "P6\n%d %d\n255\n", width, picture.height / shrink);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y + shrink <= picture.height; y += shrink) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t word = picture.at(x * shrink, y);
            row[x * 3] = static_cast<unsigned char>(word >> 16);
            row[x * 3 + 1] = static_cast<unsigned char>(word >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(word);
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    return std::fclose(out) == 0;
}
