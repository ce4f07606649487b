#include "dictation/StartupChores.h"
#include "models/AppSettings.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeLoginItemService.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(StartupChoresTest, FirstLaunchSchedulesOnboardingAndRegistersTheLoginItemOnce) {
    LogCapture log;
    InMemoryDefaultsStore store;
    AppSettings settings{store};
    FakeAccessibilityTrust trust;
    trust.trusted = false;
    FakeLoginItemService loginItems;
    loginItems.refuse = true;  // a failure must not make start-up try again
    ManualScheduler scheduler;
    int onboardingShown = 0;
    auto chores = std::make_unique<StartupChores>(StartupChores::Dependencies{
        settings, trust, loginItems, scheduler, [&] { ++onboardingShown; }});
    chores->run();

    EXPECT_TRUE(
        log.contains("[Quillo] Accessibility permission not granted -- auto-paste may not work"));
    EXPECT_TRUE(
        log.contains("[Quillo] Grant in: System Settings → Privacy & Security → Accessibility"));
    EXPECT_EQ(loginItems.registerCount, 1);
    EXPECT_TRUE(store.boolean("launch_at_login_set")) << "set even though registering failed";
    EXPECT_EQ(onboardingShown, 0);
    scheduler.advance(499ms);
    EXPECT_EQ(onboardingShown, 0);
    scheduler.advance(1ms);
    EXPECT_EQ(onboardingShown, 1);

    // The next launch registers nothing, even if the user removed the login item since.
    chores = std::make_unique<StartupChores>(StartupChores::Dependencies{
        settings, trust, loginItems, scheduler, [&] { ++onboardingShown; }});
    store.setBoolean("onboarding_completed", true);
    chores->run();
    scheduler.advance(1000ms);
    EXPECT_EQ(loginItems.registerCount, 1);
    EXPECT_EQ(onboardingShown, 1);
}
