// The command lines Windows gives a screensaver, read in-process; then
// huesift.scr started with arguments it does not know.
#include <gtest/gtest.h>

#include <string>

#include "screensaver/saver_arguments.h"
#include "tools/driving/saver_driving.h"

namespace {

struct ArgumentCase {
    const char* arguments;
    SaverMode mode;
    std::uintptr_t window;
};

TEST(SaverArguments, ReadsEveryFormWindowsUses) {
    const ArgumentCase cases[] = {
        {"", SAVER_SETTINGS, 0},          {"  ", SAVER_SETTINGS, 0},         {"/c", SAVER_SETTINGS, 0},
        {"-C", SAVER_SETTINGS, 0},        {"/c:1234", SAVER_SETTINGS, 1234}, {"/c 77", SAVER_SETTINGS, 77},
        {"/s", SAVER_FULL_SCREEN, 0},     {"/S", SAVER_FULL_SCREEN, 0},      {"-s", SAVER_FULL_SCREEN, 0},
        {" /s ", SAVER_FULL_SCREEN, 0},   {"/s:5", SAVER_FULL_SCREEN, 0},    {"/p 1234", SAVER_PREVIEW, 1234},
        {"/p:1234", SAVER_PREVIEW, 1234}, {"-P  99", SAVER_PREVIEW, 99},
    };
    for (const ArgumentCase& c : cases) {
        const SaverCommand command = parse_saver_arguments(c.arguments);
        EXPECT_EQ(command.mode, c.mode) << '"' << c.arguments << '"';
        EXPECT_EQ(command.window, c.window) << '"' << c.arguments << '"';
    }
    EXPECT_EQ(parse_saver_arguments(nullptr).mode, SAVER_SETTINGS);
    // The largest number a window handle can be.
    EXPECT_EQ(parse_saver_arguments("/p 4294967295").window, 4294967295u);
}

TEST(SaverArguments, RefusesWhatItDoesNotKnow) {
    for (const char* arguments :
         {"/x", "/a", "s", "/", "/save", "/p", "/p:", "/p 0", "/p abc", "/p 12x", "/p 99999999999999999999999",
          "/s now", "/c:owner", "/p -5", "/p 4294967296", "/c:4294967296"}) {
        EXPECT_EQ(parse_saver_arguments(arguments).mode, SAVER_INVALID) << '"' << arguments << '"';
    }
}

// Unknown switches, and a preview without a window to draw in, end at once
// with code 2 and show nothing. A preview needs an ordinary window of
// another program: not the desktop, not a message-only window, and a number
// that fits a window handle (the desktop's plus 2^32 would reach the
// desktop on 64-bit Windows, which reads only the low 32 bits).
TEST(SaverArguments, UnknownArgumentsEndWithCode2AndNoWindow) {
    HWND message_only = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(message_only, nullptr);
    const auto desktop = static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(GetDesktopWindow()));
    const std::string cases[] = {"/x",
                                 "/p",
                                 "/p 0",
                                 "/p 123456789",
                                 "/p:notawindow",
                                 "--help",
                                 "/p " + std::to_string(desktop),
                                 "/p " + std::to_string(desktop + (1ull << 32)),
                                 "/p " + std::to_string(reinterpret_cast<std::uintptr_t>(message_only))};
    for (const std::string& arguments : cases) {
        SCOPED_TRACE(arguments);
        HuesiftProcess saver;
        ASSERT_TRUE(start_saver(arguments, saver));
        DWORD exit_code = 99;
        bool window_seen = false;
        wait_until([&] {
            window_seen = window_seen || find_saver_window(saver) || find_dialog_of(saver);
            return !still_running(saver);
        });
        EXPECT_TRUE(wait_for_exit(saver, exit_code, 0));
        EXPECT_EQ(exit_code, 2u);
        EXPECT_FALSE(window_seen);
        close_process(saver);
    }
    DestroyWindow(message_only);
}

}  // namespace
