#include "tests/xscreensaver/hack_test_support.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>

#include "engine/image.h"
#include "engine/picture.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The virtual server and the tests' connection to it, for the whole run.
struct VirtualServer {
    pid_t pid = -1;
    std::string name;
    Display* display = nullptr;
};

VirtualServer server;

// Xvfb picks a free display itself and writes its number to a pipe.
class VirtualServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        int number_pipe[2];
        ASSERT_EQ(pipe(number_pipe), 0);
        server.pid = fork();
        ASSERT_GE(server.pid, 0);
        if (server.pid == 0) {
            close(number_pipe[0]);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            const std::string fd = std::to_string(number_pipe[1]);
            const std::string screen = std::to_string(SCREEN_WIDTH) + "x" + std::to_string(SCREEN_HEIGHT) + "x24";
            const std::string second = std::to_string(SCREEN_WIDTH) + "x" + std::to_string(SCREEN_HEIGHT) + "x16";
            execl(HUESIFT_XVFB_PATH, "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-screen", "1",
                  second.c_str(), "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(number_pipe[1]);
        std::string number;
        pollfd wait = {number_pipe[0], POLLIN, 0};
        char c = 0;
        while (poll(&wait, 1, 30'000) > 0 && read(number_pipe[0], &c, 1) == 1 && c != '\n') number += c;
        close(number_pipe[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        server.name = ":" + number;
        server.display = XOpenDisplay(server.name.c_str());
        ASSERT_NE(server.display, nullptr) << "cannot reach Xvfb at " << server.name;
    }

    void TearDown() override {
        if (server.display) XCloseDisplay(server.display);
        if (server.pid > 0) {
            kill(server.pid, SIGTERM);
            waitpid(server.pid, nullptr, 0);
        }
    }
};

void read_available(int fd, std::string& into) {
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof(buffer))) > 0) into.append(buffer, static_cast<std::size_t>(got));
}

int exit_code_of(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

}  // namespace

Display* test_display() { return server.display; }
const std::string& test_display_name() { return server.name; }

HackProcess start_hack(const std::vector<std::string>& arguments, Window saver_window,
                       const std::vector<std::string>& environment) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view variable = *entry;
        if (!variable.starts_with("DISPLAY=") && !variable.starts_with("XSCREENSAVER_WINDOW="))
            variables.emplace_back(variable);
    }
    variables.push_back("DISPLAY=" + server.name);
    if (saver_window != None) {
        char text[48];
        std::snprintf(text, sizeof(text), "XSCREENSAVER_WINDOW=0x%lX", saver_window);
        variables.emplace_back(text);
    }
    variables.insert(variables.end(), environment.begin(), environment.end());

    std::vector<std::string> words = {HUESIFT_HACK_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv, envp;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);

    int error_pipe[2], output_pipe[2];
    HackProcess hack;
    if (pipe2(error_pipe, O_CLOEXEC) != 0) return hack;
    if (pipe2(output_pipe, O_CLOEXEC) != 0) return hack;
    hack.pid = fork();
    if (hack.pid == 0) {
        dup2(output_pipe[1], STDOUT_FILENO);
        dup2(error_pipe[1], STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(error_pipe[1]);
    close(output_pipe[1]);
    fcntl(error_pipe[0], F_SETFL, O_NONBLOCK);
    fcntl(output_pipe[0], F_SETFL, O_NONBLOCK);
    hack.error_pipe = error_pipe[0];
    hack.output_pipe = output_pipe[0];
    return hack;
}

bool wait_for_exit(HackProcess& hack, std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    int status = 0;
    bool ended = false;
    while (!(ended = waitpid(hack.pid, &status, WNOHANG) == hack.pid) && Clock::now() < deadline) {
        pollfd waits[2] = {{hack.error_pipe, POLLIN, 0}, {hack.output_pipe, POLLIN, 0}};
        poll(waits, 2, 20);
        read_available(hack.error_pipe, hack.standard_error);
        read_available(hack.output_pipe, hack.standard_output);
    }
    if (!ended) {
        kill(hack.pid, SIGKILL);
        waitpid(hack.pid, &status, 0);
    }
    read_available(hack.error_pipe, hack.standard_error);
    read_available(hack.output_pipe, hack.standard_output);
    close(hack.error_pipe);
    close(hack.output_pipe);
    hack.error_pipe = hack.output_pipe = -1;
    hack.exit_code = exit_code_of(status);
    hack.pid = -1;
    return ended;
}

HackProcess run_hack(const std::vector<std::string>& arguments) {
    HackProcess hack = start_hack(arguments);
    wait_for_exit(hack);
    return hack;
}

bool end_hack(HackProcess& hack, int signal) {
    kill(hack.pid, signal);
    return wait_for_exit(hack);
}

HackGuard::~HackGuard() {
    if (hack.pid > 0) end_hack(hack, SIGKILL);
}

namespace {

Window map_window(Display* display, Window window) {
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event;
    do XWindowEvent(display, window, StructureNotifyMask, &event);
    while (event.type != MapNotify);
    XSelectInput(display, window, NoEventMask);
    return window;
}

}  // namespace

Window make_window(int width, int height, int screen) {
    Display* display = server.display;
    // White: the hack's black around the picture shows against it.
    return map_window(display, XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                                                   BlackPixel(display, screen), WhitePixel(display, screen)));
}

Window make_argb_window(int width, int height) {
    Display* display = server.display;
    XVisualInfo visual;
    if (!XMatchVisualInfo(display, 0, 32, TrueColor, &visual)) return None;
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(display, RootWindow(display, 0), visual.visual, AllocNone);
    attributes.background_pixel = 0xFFFFFFFF;
    attributes.border_pixel = 0;
    return map_window(display, XCreateWindow(display, RootWindow(display, 0), 0, 0, width, height, 0, 32, InputOutput,
                                             visual.visual, CWColormap | CWBackPixel | CWBorderPixel, &attributes));
}

Window wait_for_own_window() {
    Display* display = server.display;
    Window own = None;
    wait_until([&] {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count; ++i) {
            char* name = nullptr;
            if (XFetchName(display, children[i], &name) && name && std::string(name) == "Huesift") own = children[i];
            XFree(name);
        }
        XFree(children);
        return own != None;
    });
    return own;
}

void resize_window(Window window, int width, int height) {
    XResizeWindow(server.display, window, width, height);
    XSync(server.display, False);
}

std::string window_id_text(Window window) {
    char text[24];
    std::snprintf(text, sizeof(text), "0x%lx", window);
    return text;
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
    const auto deadline = Clock::now() + bound;
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::vector<std::uint32_t> read_window(Window window, int& width, int& height) {
    Display* display = server.display;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return {};
    width = attributes.width;
    height = attributes.height;
    XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image) return {};
    // Each channel to 8 bits, its missing low bits 0: a 5-bit red of 31 reads 248.
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        const int shift = std::countr_zero(mask), bits = std::popcount(mask);
        const unsigned long value = (pixel & mask) >> shift;
        return static_cast<std::uint32_t>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
    };
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            pixels[static_cast<std::size_t>(y) * width + x] = channel(pixel, image->red_mask) << 16 |
                                                              channel(pixel, image->green_mask) << 8 |
                                                              channel(pixel, image->blue_mask);
        }
    XDestroyImage(image);
    return pixels;
}

bool read_shown_picture(Window window, int image_side, ShownPicture& shown, std::string& why) {
    int width = 0, height = 0;
    const std::vector<std::uint32_t> screen = read_window(window, width, height);
    if (screen.empty()) {
        why = "the window could not be read";
        return false;
    }
    const Placement place = place_image(width, height, image_side);
    const auto at = [&](int x, int y) { return screen[static_cast<std::size_t>(y) * width + x]; };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inside =
                x >= place.left && x < place.left + place.side && y >= place.top && y < place.top + place.side;
            if (!inside && at(x, y) != 0) {
                why = "not black at " + std::to_string(x) + "," + std::to_string(y) + " around the picture";
                return false;
            }
        }
    const int factor = place.factor > 0 ? place.factor : 1;
    shown.placement = place;
    shown.side = place.factor > 0 ? image_side : place.side;
    shown.pixels.assign(static_cast<std::size_t>(shown.side) * shown.side, 0);
    for (int j = 0; j < shown.side; ++j)
        for (int i = 0; i < shown.side; ++i) {
            const int left = place.left + i * factor, top = place.top + j * factor;
            const std::uint32_t colour = at(left, top);
            for (int y = top; y < top + factor; ++y)
                for (int x = left; x < left + factor; ++x)
                    if (at(x, y) != colour) {
                        why = "image pixel " + std::to_string(i) + "," + std::to_string(j) + " is not one block";
                        return false;
                    }
            shown.pixels[static_cast<std::size_t>(j) * shown.side + i] = colour;
        }
    return true;
}

std::vector<std::uint32_t> engine_picture(SurfaceKind surface, std::int32_t size, std::int32_t red_direction,
                                          std::uint32_t seed, std::uint64_t iterations) {
    if (!make_picture({surface, size, red_direction, seed})) return {};
    sort_picture(iterations);
    std::vector<std::uint32_t> pixels = snapshot_pixels();
    for (std::uint32_t& word : pixels) word &= PIXEL_COLOUR_MASK;
    return pixels;
}

std::vector<bool> silhouette(const std::vector<std::uint32_t>& pixels) {
    std::vector<bool> shape(pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) shape[i] = (pixels[i] & PIXEL_COLOUR_MASK) != 0;
    return shape;
}

std::map<std::uint32_t, int> colour_counts(const std::vector<std::uint32_t>& pixels) {
    std::map<std::uint32_t, int> counts;
    for (const std::uint32_t pixel : pixels) ++counts[pixel & PIXEL_COLOUR_MASK];
    return counts;
}

namespace {

// The iterations of the sorting frames the hack has logged so far.
std::vector<std::uint64_t> sorting_frames(HackProcess& hack) {
    read_available(hack.error_pipe, hack.standard_error);
    std::vector<std::uint64_t> iterations;
    std::istringstream lines(hack.standard_error);
    for (std::string line; std::getline(lines, line);) {
        char phase[16] = {};
        unsigned long long ms = 0, done = 0;
        if (std::sscanf(line.c_str(), "frame %llu %15s %llu", &ms, phase, &done) == 3 &&
            std::string(phase) == "sorting")
            iterations.push_back(done);
    }
    return iterations;
}

}  // namespace

void expect_engine_sort_shown(HackProcess& hack, Window target, SurfaceKind surface, std::int32_t size,
                              std::int32_t red, std::uint32_t started) {
    ASSERT_TRUE(wait_until([&] {
        const auto frames = sorting_frames(hack);
        return !frames.empty() && frames.back() > 0;
    })) << "no frame of the sort logged";
    kill(hack.pid, SIGSTOP);
    int status = 0;
    ASSERT_EQ(waitpid(hack.pid, &status, WUNTRACED), hack.pid);
    ASSERT_TRUE(WIFSTOPPED(status));
    std::vector<std::uint64_t> frames = sorting_frames(hack);
    // The screen shows the last frame logged, or the one before if its put
    // was not yet sent.
    frames.erase(frames.begin(), frames.end() - std::min<std::ptrdiff_t>(frames.size(), 3));
    const auto now = static_cast<std::uint32_t>(std::time(nullptr));
    std::map<std::pair<std::uint32_t, std::uint64_t>, std::vector<std::uint32_t>> expected;
    for (std::uint32_t seed = started; seed <= now; ++seed)
        for (const std::uint64_t iterations : frames)
            expected[{seed, iterations}] = engine_picture(surface, size, red, seed, iterations);
    ShownPicture shown;
    std::string why;
    const bool matched = wait_until(
        [&] {
            if (!read_shown_picture(target, size, shown, why)) return false;
            for (const auto& [recipe, pixels] : expected)
                if (pixels == shown.pixels) return true;
            why = "not the engine's picture after " + std::to_string(frames.back()) + " iterations";
            return false;
        },
        std::chrono::seconds(10));
    kill(hack.pid, SIGCONT);
    EXPECT_TRUE(matched) << why;
}

long long seed_with_colours(const std::map<std::uint32_t, int>& counts, SurfaceKind surface, std::int32_t size,
                            std::uint32_t first, std::uint32_t last) {
    for (std::uint32_t seed = first; seed <= last; ++seed)
        if (colour_counts(engine_picture(surface, size, RED_UP, seed)) == counts) return seed;
    return -1;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new VirtualServerEnvironment);
    return RUN_ALL_TESTS();
}
