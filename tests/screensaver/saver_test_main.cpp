// The screensaver's test program: takes the path of huesift.scr, which the
// tests start as Windows would. Started as "scr_tests --preview-host HOW",
// it is instead the settings page a preview test needs as another process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "tests/screensaver/preview_host.h"
#include "tools/driving/saver_driving.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], PREVIEW_HOST_SWITCH) == 0) return run_preview_host(argv[2]);
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: scr_tests PATH-OF-huesift.scr\n");
        return 2;
    }
    saver_program = argv[1];
    return RUN_ALL_TESTS();
}
