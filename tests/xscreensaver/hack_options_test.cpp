// The hack's command line as XScreenSaver and a user give it: bad options and
// a bad $XSCREENSAVER_WINDOW refused in one line with code 2, the usage, the
// version line, the switches every hack takes, and the configuration file
// whose every choice is an option the hack takes and does what its label says.
#include <csignal>
#include <ctime>
#include <fstream>
#include <regex>
#include <span>
#include <sstream>

#include "huesift_version.h"
#include "tests/xscreensaver/hack_test_support.h"

namespace {

class HackOptionsTest : public EngineTest {
protected:
    void TearDown() override {
        if (target != None) XDestroyWindow(test_display(), target);
        EngineTest::TearDown();
    }

    // Runs the hack with `arguments` in a window of ours until `accept` takes
    // the picture of side `image_side` it shows; then ends it.
    void expect_shown(const std::vector<std::string>& arguments, int image_side,
                      const std::function<bool(const ShownPicture&)>& accept) {
        // A fresh white window: a picture left by an earlier run must not pass.
        if (target != None) XDestroyWindow(test_display(), target);
        target = make_window(800, 800);
        std::vector<std::string> words = arguments;
        words.insert(words.end(), {"-window-id", window_id_text(target)});
        HackProcess hack = start_hack(words);
        HackGuard guard{hack};
        ShownPicture shown;
        std::string why;
        EXPECT_TRUE(wait_until([&] { return read_shown_picture(target, image_side, shown, why) && accept(shown); }))
            << why;
        ASSERT_TRUE(end_hack(hack, SIGTERM));
        EXPECT_EQ(hack.exit_code, 0);
        EXPECT_EQ(hack.standard_error, "");
    }

    Window target = None;
};

std::vector<std::string> words_of(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

TEST_F(HackOptionsTest, BadCommandLinesAreRefusedInOneLine) {
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"-shape", "oval"}, "bad value for -shape: 'oval'"},
        {{"-size", "384"}, "bad value for -size: '384'"},
        {{"--red", "sideways"}, "bad value for -red: 'sideways'"},
        {{"-speed", "0"}, "bad value for -speed: '0'"},
        {{"-speed", "6"}, "bad value for -speed: '6'"},
        {{"-speed=+1"}, "bad value for -speed: '+1'"},
        {{"-window-id", "0"}, "bad value for -window-id: '0'"},
        {{"-window-id", "0x20000000"}, "bad value for -window-id: '0x20000000'"},
        {{"-window-id", "0x"}, "bad value for -window-id: '0x'"},
        {{"-shape", "\x1b[2Jsquare"}, "bad value for -shape: '\\x1B[2Jsquare'"},
        {{"-size"}, "-size needs a value"},
        {{"-bogus"}, "unknown option '-bogus'"},
        {{"-root=yes"}, "unknown option '-root=yes'"},
        {{"square"}, "unknown option 'square'"},
        {{"-"}, "unknown option '-'"},
    };
    for (const auto& bad : cases) {
        const HackProcess hack = run_hack(bad.arguments);
        EXPECT_EQ(hack.exit_code, 2) << bad.message;
        EXPECT_EQ(hack.standard_error, std::string("huesift: ") + bad.message + "\n");
        EXPECT_EQ(hack.standard_output, "");
    }
    HackProcess named_badly = start_hack({}, None, {"XSCREENSAVER_WINDOW=window\t7"});
    ASSERT_TRUE(wait_for_exit(named_badly));
    EXPECT_EQ(named_badly.exit_code, 2);
    EXPECT_EQ(named_badly.standard_error, "huesift: XSCREENSAVER_WINDOW names no window: 'window\\t7'\n");
}

TEST_F(HackOptionsTest, HelpListsTheOptionsWithTheirWords) {
    const HackProcess hack = run_hack({"-help"});
    EXPECT_EQ(hack.exit_code, 0);
    EXPECT_EQ(hack.standard_error, "");
    for (const char* option : {"-shape ", "-size ", "-red ", "-speed 1..5", "-root", "-window ", "-window-id ID"})
        EXPECT_NE(hack.standard_output.find(option), std::string::npos) << option;
    for (const auto& table : {std::span<const NamedCode>(SURFACE_NAMES), std::span<const NamedCode>(IMAGE_SIZE_NAMES),
                              std::span<const NamedCode>(RED_DIRECTION_NAMES)})
        for (const NamedCode& word : table) EXPECT_NE(hack.standard_output.find(word.name), std::string::npos);
}

// One line, read by help2man for the manual page as by a user: the name and
// the project's version; it ends parsing, so nothing after it counts.
TEST_F(HackOptionsTest, VersionIsOneLineOfNameAndVersion) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-version"}, {"--version"}, {"-version", "-shape", "hexagon"}}) {
        const HackProcess hack = run_hack(arguments);
        EXPECT_EQ(hack.exit_code, 0) << arguments[0];
        EXPECT_EQ(hack.standard_output, "huesift " HUESIFT_VERSION "\n") << arguments[0];
        EXPECT_EQ(hack.standard_error, "");
    }
}

// Two dashes, a value after '=', and the switches every hack takes whether
// it uses them or not.
TEST_F(HackOptionsTest, HackConventionsAreTaken) {
    const auto square = silhouette(engine_picture(SURFACE_SQUARE, IMAGE_SIZE_BIG, RED_UP, 1));
    expect_shown({"--shape=square", "--size", "512", "-fps", "-no-fps", "-install", "-noinstall", "-mono", "-visual",
                  "default", "-root"},
                 IMAGE_SIZE_BIG, [&](const ShownPicture& shown) { return silhouette(shown.pixels) == square; });
}

struct Choice {
    std::string label;
    std::vector<std::string> arguments;  // empty for the default
};

struct Configuration {
    std::vector<std::string> command;  // what every command line carries
    std::map<std::string, std::vector<Choice>> selects;
    bool well_formed = false;
};

// The few shapes of XScreenSaver's format this file uses.
Configuration read_configuration(const std::string& path) {
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    Configuration configuration;
    const std::regex command(R"re(<command\s+arg="([^"]*)"\s*/>)re");
    for (std::sregex_iterator at(text.begin(), text.end(), command), end; at != end; ++at)
        for (const std::string& word : words_of((*at)[1])) configuration.command.push_back(word);
    const std::regex select(R"re(<select\s+id="([^"]+)">([\s\S]*?)</select>)re");
    const std::regex option(R"re(<option\s+id="[^"]+"\s+_label="([^"]+)"(\s+arg-set="([^"]*)")?\s*/>)re");
    std::size_t options_read = 0;
    for (std::sregex_iterator at(text.begin(), text.end(), select), end; at != end; ++at) {
        const std::string body = (*at)[2];
        for (std::sregex_iterator o(body.begin(), body.end(), option); o != end; ++o, ++options_read)
            configuration.selects[(*at)[1]].push_back({(*o)[1], words_of((*o)[3])});
    }
    // Every option and select was understood, and the file is one screensaver.
    const auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    configuration.well_formed = count("<option") == options_read && count("<select") == count("</select>") &&
                                count("<screensaver name=\"huesift\"") == 1 && count("</screensaver>") == 1;
    return configuration;
}

// Each menu of the configuration offers the Options dialog's choices, in
// its order, with one default (no argument) that is the hack's own default;
// every other choice gives one option with one value, the same option
// throughout the menu, and the hack run with it shows what the label says.
TEST_F(HackOptionsTest, EachChoiceOfTheConfigurationIsAnOptionTheHackTakes) {
    const Configuration configuration = read_configuration(HUESIFT_HACK_XML);
    ASSERT_TRUE(configuration.well_formed);
    const std::map<std::string, std::vector<std::string>> labels = {
        {"shape", {"Square", "Circle", "Torus", "Triangle", "Triangle inverted"}},
        {"size", {"Big (512 pixels)", "Small (256 pixels)"}},
        {"speed", {"5 (slowest)", "4", "3", "2", "1 (fastest)"}},
        {"red", {"Red up", "Red down"}},
    };
    ASSERT_EQ(configuration.selects.size(), labels.size());
    const auto run = [&](const Choice& choice) {
        std::vector<std::string> arguments = configuration.command;
        arguments.insert(arguments.end(), choice.arguments.begin(), choice.arguments.end());
        return arguments;
    };
    for (const auto& [id, choices] : configuration.selects) {
        SCOPED_TRACE(id);
        ASSERT_EQ(labels.count(id), 1u);
        std::vector<std::string> shown_labels;
        int defaults = 0;
        for (const Choice& choice : choices) {
            shown_labels.push_back(choice.label);
            if (choice.arguments.empty()) {
                ++defaults;
                continue;
            }
            ASSERT_EQ(choice.arguments.size(), 2u) << choice.label;
            EXPECT_EQ(choice.arguments[0], "--" + id) << choice.label;
        }
        EXPECT_EQ(shown_labels, labels.at(id));
        EXPECT_EQ(defaults, 1);
    }

    const std::map<std::string, SurfaceKind> shapes = {{"Square", SURFACE_SQUARE},
                                                       {"Circle", SURFACE_CIRCLE},
                                                       {"Torus", SURFACE_TORUS},
                                                       {"Triangle", SURFACE_TRIANGLE},
                                                       {"Triangle inverted", SURFACE_TRIANGLE_INVERTED}};
    for (const Choice& choice : configuration.selects.at("shape")) {
        SCOPED_TRACE(choice.label);
        const auto shape = silhouette(engine_picture(shapes.at(choice.label), IMAGE_SIZE_SMALL, RED_UP, 1));
        expect_shown(run(choice), IMAGE_SIZE_SMALL,
                     [&](const ShownPicture& shown) { return silhouette(shown.pixels) == shape; });
    }
    // In 800 x 800 a 256 picture shows three times enlarged, a 512 one once.
    for (const Choice& choice : configuration.selects.at("size")) {
        SCOPED_TRACE(choice.label);
        const int side = choice.label.starts_with("Big") ? IMAGE_SIZE_BIG : IMAGE_SIZE_SMALL;
        const auto circle = silhouette(engine_picture(SURFACE_CIRCLE, side, RED_UP, 1));
        expect_shown(run(choice), side, [&](const ShownPicture& shown) { return silhouette(shown.pixels) == circle; });
    }
    // The sort in the window is the engine's, red as the label says, to the
    // pixel.
    for (const Choice& choice : configuration.selects.at("red")) {
        SCOPED_TRACE(choice.label);
        const std::int32_t red = choice.label == "Red up" ? RED_UP : RED_DOWN;
        const Window shown_in = make_window(600, 600);
        std::vector<std::string> arguments = run(choice);
        arguments.insert(arguments.end(), {"-window-id", window_id_text(shown_in)});
        const auto started = static_cast<std::uint32_t>(std::time(nullptr));
        HackProcess hack = start_hack(arguments, None, {"HUESIFT_FRAME_LOG=1"});
        HackGuard guard{hack};
        expect_engine_sort_shown(hack, shown_in, SURFACE_CIRCLE, IMAGE_SIZE_SMALL, red, started);
        ASSERT_TRUE(end_hack(hack, SIGTERM));
        XDestroyWindow(test_display(), shown_in);
    }
    // The speed shows only once the picture rotates; each is taken, with the
    // number its label begins with.
    for (const Choice& choice : configuration.selects.at("speed")) {
        SCOPED_TRACE(choice.label);
        if (!choice.arguments.empty()) {
            EXPECT_EQ(choice.arguments[1], choice.label.substr(0, 1));
        }
        expect_shown(run(choice), IMAGE_SIZE_SMALL, [](const ShownPicture&) { return true; });
    }
}

}  // namespace
