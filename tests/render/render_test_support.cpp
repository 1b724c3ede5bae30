#include "tests/render/render_test_support.h"

#include <gif_lib.h>
#include <png.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "engine/image.h"
#include "engine/sort_worker.h"

namespace fs = std::filesystem;

void RenderTest::SetUp() {
    EngineTest::SetUp();
    char name[] = "/tmp/huesift-render-test-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = name;
}

void RenderTest::TearDown() {
    fs::remove_all(folder);
    EngineTest::TearDown();
}

namespace {

constexpr auto WAIT_BOUND = std::chrono::seconds(60);

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void start_in_child(const std::string& command, const RunConditions& conditions) {
    if (conditions.memory_limit_kb > 0) {
        const rlimit limit = {static_cast<rlim_t>(conditions.memory_limit_kb) * 1024,
                              static_cast<rlim_t>(conditions.memory_limit_kb) * 1024};
        setrlimit(RLIMIT_AS, &limit);
    }
    if (conditions.file_size_limit_kb > 0) {
        const rlimit limit = {static_cast<rlim_t>(conditions.file_size_limit_kb) * 1024,
                              static_cast<rlim_t>(conditions.file_size_limit_kb) * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (conditions.hang_up_ignored) signal(SIGHUP, SIG_IGN);
    if (conditions.output_closed) {
        // A pipe whose reading end is closed before anything is written.
        int ends[2];
        if (pipe(ends) != 0) _exit(126);
        close(ends[0]);
        dup2(ends[1], STDOUT_FILENO);
        close(ends[1]);
    }
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

bool has_temporary_file(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
    return false;
}

}  // namespace

ProgramResult RenderTest::run(const std::string& arguments, const RunConditions& conditions) const {
    // exec keeps the shell's process for the program, so a signal sent to
    // the child reaches the program itself.
    const std::string command = "cd '" + folder + "' && exec '" HUESIFT_RENDER_PATH "' " + arguments +
                                (conditions.output_closed ? "" : " >.stdout") + " 2>.stderr";
    ProgramResult result;
    const pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) start_in_child(command, conditions);
    int status = 0;
    bool ended = false;
    if (conditions.signal_while_writing != 0) {
        const auto deadline = std::chrono::steady_clock::now() + WAIT_BOUND;
        while (!(ended = waitpid(child, &status, WNOHANG) == child) && !has_temporary_file(folder) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (!ended) kill(child, conditions.signal_while_writing);
    }
    if (ended || waitpid(child, &status, 0) == child)
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    result.standard_output = read_bytes(path(".stdout"));
    result.standard_error = read_bytes(path(".stderr"));
    fs::remove(path(".stdout"));
    fs::remove(path(".stderr"));
    return result;
}

std::vector<std::string> RenderTest::files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool decode_png(const std::string& path, DecodedPng& png) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(reader);
    if (setjmp(png_jmpbuf(reader))) {
        png_destroy_read_struct(&reader, &info, nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(reader, file);
    png_read_png(reader, info, PNG_TRANSFORM_IDENTITY, nullptr);
    const bool rgb8 = png_get_color_type(reader, info) == PNG_COLOR_TYPE_RGB && png_get_bit_depth(reader, info) == 8;
    png.width = static_cast<int>(png_get_image_width(reader, info));
    png.height = static_cast<int>(png_get_image_height(reader, info));
    png_bytepp rows = png_get_rows(reader, info);
    png.colours.clear();
    for (int y = 0; rgb8 && y < png.height; ++y)
        for (int x = 0; x < png.width; ++x) {
            const png_bytep p = rows[y] + 3 * x;
            png.colours.push_back(std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2]);
        }
    png_textp text = nullptr;
    const int count = png_get_text(reader, info, &text, nullptr);
    for (int i = 0; i < count; ++i) {
        png.text[text[i].key] = text[i].text;
        png.text_keys.push_back(text[i].key);
    }
    png_destroy_read_struct(&reader, &info, nullptr);
    std::fclose(file);
    return rgb8;
}

namespace {

int netscape_loop_count(const SavedImage& image) {
    for (int i = 0; i + 1 < image.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = image.ExtensionBlocks[i];
        const ExtensionBlock& data = image.ExtensionBlocks[i + 1];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 && data.Bytes[0] == 1)
            return data.Bytes[1] | data.Bytes[2] << 8;
    }
    return -1;
}

}  // namespace

bool decode_gif(const std::string& path, DecodedGif& gif) {
    int error = 0;
    GifFileType* file = DGifOpenFileName(path.c_str(), &error);
    if (!file) return false;
    if (DGifSlurp(file) != GIF_OK) {
        DGifCloseFile(file, &error);
        return false;
    }
    gif.width = file->SWidth;
    gif.height = file->SHeight;
    gif.loop_count = file->ImageCount > 0 ? netscape_loop_count(file->SavedImages[0]) : -1;
    for (int i = 0; i < file->ImageCount; ++i) {
        const SavedImage& image = file->SavedImages[i];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
        // Every frame covers the whole picture, so its raster is the frame.
        if (!map || image.ImageDesc.Width != gif.width || image.ImageDesc.Height != gif.height) break;
        std::vector<std::uint32_t> frame(static_cast<std::size_t>(gif.width) * gif.height);
        for (std::size_t p = 0; p < frame.size(); ++p) {
            const GifColorType c = map->Colors[image.RasterBits[p]];
            frame[p] = std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue;
        }
        gif.frames.push_back(std::move(frame));
        GraphicsControlBlock control{};
        const bool has_control = DGifSavedExtensionToGCB(file, i, &control) == GIF_OK;
        gif.delays.push_back(has_control ? control.DelayTime : -1);
        gif.disposals.push_back(has_control ? control.DisposalMode : -1);
    }
    const bool whole = static_cast<int>(gif.frames.size()) == file->ImageCount;
    DGifCloseFile(file, &error);
    return whole;
}

std::vector<std::uint32_t> engine_picture(SurfaceKind surface, std::int32_t size, std::int32_t red_direction,
                                          std::uint32_t seed, std::uint64_t iterations) {
    if (!build_seeded_image(surface, size, seed)) return {};
    run_sort_iterations(choose_sort_entry_index(size, red_direction), iterations);
    return snapshot_pixels();
}

std::vector<std::uint32_t> colour_bits(std::vector<std::uint32_t> words) {
    for (std::uint32_t& word : words) word &= PIXEL_COLOUR_MASK;
    return words;
}
