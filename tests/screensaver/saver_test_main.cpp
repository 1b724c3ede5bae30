// The screensaver's test program: takes the path of huesift.scr, which the
// tests start as Windows would.
#include <gtest/gtest.h>

#include <cstdio>

#include "tools/driving/saver_driving.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: scr_tests PATH-OF-huesift.scr\n");
        return 2;
    }
    saver_program = argv[1];
    return RUN_ALL_TESTS();
}
