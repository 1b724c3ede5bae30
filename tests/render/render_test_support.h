// What the huesift-render tests share: a scratch folder per test, running
// the built program in it, and reading back its PNG and GIF files with
// libpng's and giflib's own readers.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/engine/test_support.h"

struct ProgramResult {
    int exit_code = -1;           // 128 + the signal's number when a signal ended it, as a shell reports it
    std::string standard_output;  // empty when the run had its output closed
    std::string standard_error;
};

// What a run meets besides its arguments: limits set as `ulimit` sets them,
// a hang-up ignored as `nohup` leaves it, a standard output nobody reads, and
// a signal sent once a temporary file shows that an output is being written.
struct RunConditions {
    long memory_limit_kb = 0;     // ulimit -v; 0 for none
    long file_size_limit_kb = 0;  // ulimit -f; 0 for none
    bool hang_up_ignored = false;
    bool output_closed = false;
    int signal_while_writing = 0;
};

// Each test runs in an empty folder of its own, removed afterwards, with the
// engine's fresh process state of EngineTest.
class RenderTest : public EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string folder;
    std::string path(const std::string& name) const { return folder + "/" + name; }
    // Runs huesift-render with `arguments` (split at spaces) in the folder.
    ProgramResult run(const std::string& arguments, const RunConditions& conditions = {}) const;
    // The names in the folder, sorted.
    std::vector<std::string> files() const;
};

std::string read_bytes(const std::string& path);

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> colours;  // 0x00RRGGBB, top-down rows
    std::map<std::string, std::string> text;
    std::vector<std::string> text_keys;  // in the file's order
};
bool decode_png(const std::string& path, DecodedPng& png);

struct DecodedGif {
    int width = 0;
    int height = 0;
    int loop_count = -1;                             // from the NETSCAPE2.0 block; -1 without one
    std::vector<std::vector<std::uint32_t>> frames;  // 0x00RRGGBB per pixel
    std::vector<int> delays;
    std::vector<int> disposals;  // giflib's DISPOSE_ codes
};
bool decode_gif(const std::string& path, DecodedGif& gif);

// The engine's picture for a seed after `iterations` sort iterations, made
// as Start and the worker make it; the image stays open, with its palette.
std::vector<std::uint32_t> engine_picture(SurfaceKind surface, std::int32_t size, std::int32_t red_direction,
                                          std::uint32_t seed, std::uint64_t iterations);

// The words with their tags cleared: what a picture shows.
std::vector<std::uint32_t> colour_bits(std::vector<std::uint32_t> words);
