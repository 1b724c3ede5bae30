#include <gtest/gtest.h>

#include "engine/settle.h"

namespace {

Disorder same(double share) { return {share, share, share}; }

// Feeds `first`, then `flat` repeatedly; returns the check that settled.
int settling_check(Disorder first, Disorder flat, int limit = 100) {
    SettleWatch watch;
    if (settle_check(watch, first)) return 1;
    for (int check = 2; check <= limit; ++check)
        if (settle_check(watch, flat)) return check;
    return 0;
}

TEST(SettleTest, SettlesAfterThePatienceInChecksWithoutProgress) {
    EXPECT_EQ(settling_check(same(0.4), same(0.4)), 1 + SETTLE_PATIENCE);
    // A fall smaller than the margin is no progress.
    EXPECT_EQ(settling_check(same(0.4), same(0.4 * (1 - SETTLE_EPSILON / 2))), 1 + SETTLE_PATIENCE);
    // A rise is no progress either.
    EXPECT_EQ(settling_check(same(0.1), same(0.2)), 1 + SETTLE_PATIENCE);
}

TEST(SettleTest, AnyChannelStillFallingKeepsTheSortGoing) {
    SettleWatch watch;
    double green = 0.5;
    for (int check = 0; check < 50; ++check) {
        ASSERT_FALSE(settle_check(watch, {0.1, 0.1, green})) << "check " << check;
        green *= 0.9;
    }
    // Progress also restarts the count of checks without it.
    SettleWatch restarted;
    for (int check = 1; check < SETTLE_PATIENCE; ++check) ASSERT_FALSE(settle_check(restarted, same(0.3)));
    ASSERT_FALSE(settle_check(restarted, {0.3, 0.2, 0.3}));
    for (int check = 1; check < SETTLE_PATIENCE; ++check) ASSERT_FALSE(settle_check(restarted, {0.3, 0.2, 0.3}));
    EXPECT_TRUE(settle_check(restarted, {0.3, 0.2, 0.3}));
}

TEST(SettleTest, ChecksAndTheCapScaleWithTheImage) {
    EXPECT_EQ(settle_check_interval(512 * 512), 4 * settle_check_interval(256 * 256));
    EXPECT_GT(settle_iteration_cap(256 * 256), 100 * settle_check_interval(256 * 256));
}

}  // namespace
