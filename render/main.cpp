// huesift-render: the window program's sort on the command line, with its
// results kept as files. Exit 0 when everything asked for was written, 1
// when an output could not be, 2 for a bad command line.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "engine/settle.h"
#include "render/animations.h"
#include "render/curve_csv.h"
#include "render/gif_writer.h"
#include "render/options.h"
#include "render/output_file.h"
#include "render/png_writer.h"
#include "render/progress.h"
#include "render/recipe.h"
#include "render/render_run.h"

namespace {

constexpr int EXIT_WRITE_FAILED = 1;
constexpr int EXIT_BAD_USAGE = 2;

struct Run {
    RenderOptions options;
    RenderedRecipe recipe;
    SortOutcome outcome;
};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<std::string> requested_targets(const RenderOptions& options) {
    std::vector<std::string> targets;
    for (const std::string* target : {&options.png, &options.loop_gif, &options.curve, &options.sort_gif})
        if (!target->empty()) targets.push_back(*target);
    return targets;
}

// Every target is checked before the sort, so a long run does not end in a
// file that could never be written.
bool targets_writable(const RenderOptions& options) {
    bool all = true;
    for (const std::string& target : requested_targets(options)) {
        const std::string problem = check_output_target(target, options.force);
        if (problem.empty()) continue;
        std::fprintf(stderr, "huesift-render: %s\n", problem.c_str());
        all = false;
    }
    return all;
}

// Two outputs written to one file would leave only the last; the command
// line is wrong however differently the two names are spelt.
bool targets_distinct(const RenderOptions& options) {
    const std::vector<std::string> targets = requested_targets(options);
    for (std::size_t i = 0; i < targets.size(); ++i)
        for (std::size_t j = i + 1; j < targets.size(); ++j)
            if (same_output_target(targets[i], targets[j])) {
                std::fprintf(stderr, "huesift-render: %s and %s name the same file\n", targets[i].c_str(),
                             targets[j].c_str());
                return false;
            }
    return true;
}

// Writes one output and tells the user how it went; false on failure.
bool write_output(const Run& run, const std::string& target,
                  const std::function<bool(std::FILE* stream, std::string& error)>& write) {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!write_whole_file(target, run.options.force, write, error)) {
        std::fprintf(stderr, "huesift-render: %s\n", error.c_str());
        return false;
    }
    if (!run.options.quiet) {
        struct stat written;
        const long long bytes = stat(target.c_str(), &written) == 0 ? static_cast<long long>(written.st_size) : -1;
        std::fprintf(stderr, "wrote %s (%lld bytes) in %.2f s\n", target.c_str(), bytes, seconds_since(start));
    }
    return true;
}

bool write_png_output(const Run& run) {
    return write_output(run, run.options.png, [&](std::FILE* stream, std::string& error) {
        return write_png(stream, render_pixels(), run.recipe.picture.image_size, run.recipe.picture.image_size,
                         recipe_entries(run.recipe), error);
    });
}

bool write_loop_output(const Run& run) {
    const int delay = loop_frame_delay(rotation_delay_for_speed(run.options.speed));
    return write_output(run, run.options.loop_gif, [&](std::FILE* stream, std::string& error) {
        return write_loop_gif(stream, render_pixels(), render_palette(), run.recipe.picture.image_size, delay, error);
    });
}

bool write_curve_output(const Run& run) {
    return write_output(run, run.options.curve, [&](std::FILE* stream, std::string& error) {
        if (write_curve_csv(stream, run.outcome.curve)) return true;
        error = "write error";
        return false;
    });
}

// The frames come from a second run of the same seed, now that the run's
// length is known; it must end on the very picture the first run made.
bool write_sort_output(const Run& run) {
    return write_output(run, run.options.sort_gif, [&](std::FILE* stream, std::string& error) {
        const std::vector<std::uint32_t> final_picture(render_pixels(), render_pixels() + render_pixel_count());
        if (!open_render_image(run.recipe.picture)) {
            error = "the image could not be made again";
            return false;
        }
        const int side = run.recipe.picture.image_size;
        GifFile* gif = begin_gif(stream, side, side, gif_table_of(render_palette()), error);
        if (!gif) return false;
        int frame = 0;
        try {
            replay_render_sort(run.outcome.iterations, run.options.frames, [&](const std::uint32_t* pixels) {
                const int delay = ++frame == run.options.frames ? SORT_LAST_FRAME_DELAY : SORT_FRAME_DELAY;
                return add_gif_frame(gif, palette_indices(pixels, render_palette(), render_pixel_count()).data(), delay,
                                     nullptr, error);
            });
        } catch (const std::bad_alloc&) {
            end_gif(gif, error);
            throw;
        }
        const bool ended = end_gif(gif, error);
        if (frame == run.options.frames && !std::equal(final_picture.begin(), final_picture.end(), render_pixels())) {
            error = "the replayed sort did not end on the same picture";
            return false;
        }
        return ended && frame == run.options.frames;
    });
}

// Prints the line that repeats the run; 0, or the error number when standard
// output would not take it (a closed pipe, a full disk).
int print_summary(const Run& run, double seconds) {
    const char* how = !run.options.until_settled ? ""
                      : run.outcome.settled      ? " (settled)"
                                                 : " (cap reached, not settled)";
    errno = 0;
    const bool printed = std::printf("%s%s in %.2f s\n", recipe_command(run.recipe).c_str(), how, seconds) >= 0 &&
                         std::fflush(stdout) == 0;
    return printed ? 0 : (errno != 0 ? errno : EIO);
}

// The sort and the outputs, once the command line and the targets are known
// to be good.
int render(Run& run) {
    const RenderOptions& options = run.options;
    // As the window program's Start: the calendar time in seconds.
    run.recipe = {options.recipe, 0};
    if (!options.seed_given) run.recipe.picture.seed = static_cast<std::uint32_t>(std::time(nullptr));
    if (!options.quiet) std::fprintf(stderr, "seed %u\n", run.recipe.picture.seed);
    if (!open_render_image(run.recipe.picture)) {
        std::fprintf(stderr, "huesift-render: the image could not be made (out of memory)\n");
        return EXIT_WRITE_FAILED;
    }

    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t goal = options.until_settled ? settle_iteration_cap(render_pixel_count()) : options.iterations;
    Progress progress = start_progress(!options.quiet, goal, options.until_settled);
    run.outcome = run_render_sort(options, [&](const CurvePoint& point) { show_progress(progress, point); });
    end_progress(progress);
    run.recipe.iterations = run.outcome.iterations;
    const int summary_fault = print_summary(run, seconds_since(start));

    // The picture first: a later output's failure must not cost it. The
    // files are the point of the run, so a summary that could not be
    // printed is reported only after them.
    bool all_written = true;
    if (!options.png.empty()) all_written &= write_png_output(run);
    if (!options.loop_gif.empty()) all_written &= write_loop_output(run);
    if (!options.curve.empty()) all_written &= write_curve_output(run);
    if (!options.sort_gif.empty()) all_written &= write_sort_output(run);
    if (summary_fault != 0) {
        std::fprintf(stderr, "huesift-render: the summary could not be printed on standard output: %s\n",
                     std::strerror(summary_fault));
        all_written = false;
    }
    return all_written ? 0 : EXIT_WRITE_FAILED;
}

}  // namespace

int main(int argc, char** argv) {
    Run run;
    std::string error;
    switch (parse_render_options(argc, argv, run.options, error)) {
        case PARSE_HELP:
            std::fputs(render_usage(), stdout);
            return 0;
        case PARSE_VERSION:
            std::puts(RENDER_VERSION);
            return 0;
        case PARSE_ERROR:
            std::fprintf(stderr, "huesift-render: %s\n%s", error.c_str(), render_usage());
            return EXIT_BAD_USAGE;
        case PARSE_RUN:
            break;
    }
    if (!targets_writable(run.options)) return EXIT_WRITE_FAILED;
    if (!targets_distinct(run.options)) return EXIT_BAD_USAGE;
    set_up_output_signals();
    int exit_code = EXIT_WRITE_FAILED;
    try {
        exit_code = render(run);
    } catch (const std::bad_alloc&) {
        // Each output catches its own; this is the sort or the summary.
        std::fprintf(stderr, "huesift-render: out of memory\n");
    }
    close_render_image();
    return exit_code;
}
