#include "support/ManualScheduler.h"
#include "views/overlay/WaveformView.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(WaveformView, EasesOutTowardsANewLevelAndStopsTickingWhenThere) {
    ManualScheduler scheduler;
    WaveformView view(scheduler);
    view.setLevel(1.0f);
    EXPECT_EQ(scheduler.pendingCount(), 1u);

    scheduler.advance(32ms);  // 40 % of the time: an ease-out has covered well over 40 %
    const double middle = view.displayedHeights()[3];
    const double covered = (middle - 4.52) / (22 - 4.52);
    EXPECT_GT(covered, 0.5);
    EXPECT_LT(covered, 1.0);

    scheduler.advance(64ms);
    EXPECT_DOUBLE_EQ(view.displayedHeights()[3], 22);
    EXPECT_DOUBLE_EQ(view.displayedHeights()[0], 7.75);
    EXPECT_FALSE(view.isAnimating());
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    // The same level again is no change: nothing to animate.
    view.setLevel(1.0f);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST(WaveformView, ANewLevelMidwayStartsFromTheHeightsOnScreen) {
    ManualScheduler scheduler;
    WaveformView view(scheduler);
    view.setLevel(1.0f);
    scheduler.advance(48ms);
    const double shown = view.displayedHeights()[3];
    view.setLevel(0.0f);
    scheduler.advance(16ms);
    EXPECT_LT(view.displayedHeights()[3], shown);
    EXPECT_GT(view.displayedHeights()[3], 4.52);  // no jump to the rest heights
    scheduler.advance(80ms);
    EXPECT_DOUBLE_EQ(view.displayedHeights()[3], 4.52);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}
