#include "support/ManualScheduler.h"
#include "views/overlay/SpinnerView.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(SpinnerView, TurnsOnceEveryEightTenthsOfASecondAtConstantSpeed) {
    ManualScheduler scheduler;
    SpinnerView spinner(scheduler);
    spinner.start();
    const std::vector<std::pair<int, double>> expected{{80, 36},  {400, 180}, {720, 324}, {800, 0},
                                                       {880, 36}, {1600, 0},  {2000, 180}};
    int now = 0;
    for (const auto& [at, degrees] : expected) {
        scheduler.advance(std::chrono::milliseconds(at - now));
        now = at;
        EXPECT_NEAR(spinner.rotation(), degrees, 1e-9) << "at " << at << " ms";
    }
    spinner.stop();
    EXPECT_FALSE(spinner.isSpinning());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}
