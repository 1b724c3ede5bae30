// The rule that ends a sort once the disorder has stopped falling, and how
// its checks and cap scale with the image.
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

// The sort settles at the fourth check in a row without progress; the first
// check only sets the marks.
constexpr int SETTLING_CHECK = 1 + 4;

TEST(SettleTest, SettlesAfterThePatienceInChecksWithoutProgress) {
    EXPECT_EQ(settling_check(same(0.4), same(0.4)), SETTLING_CHECK);
    // A fall smaller than the margin is no progress.
    EXPECT_EQ(settling_check(same(0.4), same(0.4 * (1 - SETTLE_EPSILON / 2))), SETTLING_CHECK);
    // A rise is no progress either.
    EXPECT_EQ(settling_check(same(0.1), same(0.2)), SETTLING_CHECK);
}

TEST(SettleTest, AnyChannelStillFallingKeepsTheSortGoing) {
    // Each channel alone falling, the other two flat, from the first check on.
    for (int channel = 0; channel < 3; ++channel) {
        SettleWatch watch;
        double falling = 0.5;
        for (int check = 0; check < 50; ++check) {
            Disorder now = same(0.1);
            (channel == 0 ? now.red : channel == 1 ? now.blue : now.green) = falling;
            ASSERT_FALSE(settle_check(watch, now)) << "channel " << channel << " check " << check;
            falling *= 0.9;
        }
    }
    // Progress also restarts the count of checks without it.
    SettleWatch restarted;
    for (int check = 1; check < 4; ++check) ASSERT_FALSE(settle_check(restarted, same(0.3)));
    ASSERT_FALSE(settle_check(restarted, {0.3, 0.2, 0.3}));
    for (int check = 1; check < 4; ++check) ASSERT_FALSE(settle_check(restarted, {0.3, 0.2, 0.3}));
    EXPECT_TRUE(settle_check(restarted, {0.3, 0.2, 0.3}));
}

TEST(SettleTest, ChecksAndTheCapScaleWithTheImage) {
    EXPECT_EQ(settle_check_interval(512 * 512), 4 * settle_check_interval(256 * 256));
    EXPECT_GT(settle_iteration_cap(256 * 256), 100 * settle_check_interval(256 * 256));
}

}  // namespace
