#include "services/hotkey/ModifierHotkeyManager.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeModifierEventSource.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr quint64 fn = ModifierHotkeyManager::fnFlag;
constexpr quint64 option = ModifierHotkeyManager::optionFlag;
constexpr quint64 shift = ModifierHotkeyManager::shiftFlag;
constexpr quint64 command = ModifierHotkeyManager::commandFlag;

class ModifierHotkeyManagerTest : public ::testing::Test {
protected:
    void startWatching(int keyCode) {
        manager->configure(keyCode);
        manager->onKeyDown = [this] { reports.append("down"); };
        manager->onKeyUp = [this] { reports.append("up"); };
        ASSERT_TRUE(manager->start());
        log.clear();
    }
    // What the owner has been told so far; reports come on a later turn of the loop.
    QStringList delivered() {
        scheduler.runDue();
        return reports;
    }

    LogCapture log;
    ManualScheduler scheduler;
    FakeModifierEventSource events;
    FakeAccessibilityTrust trust;
    std::unique_ptr<ModifierHotkeyManager> manager =
        std::make_unique<ModifierHotkeyManager>(events, trust, scheduler);
    QStringList reports;
};

TEST_F(ModifierHotkeyManagerTest, EachFnPressSeenByBothPathsIsReportedOnceEachWay) {
    startWatching(63);
    events.send(63, fn);
    EXPECT_TRUE(reports.isEmpty()) << "reported inside the event handler";
    EXPECT_EQ(delivered(), QStringList{"down"});
    events.send(63, 0);
    EXPECT_EQ(delivered(), QStringList({"down", "up"}));

    EXPECT_EQ(log.lines(), QStringList({"[ModifierHotkey] CGEvent: key DOWN (keyCode=63)",
                                        "[ModifierHotkey] >>> TARGET KEY DOWN (keyCode=63)",
                                        "[ModifierHotkey] CGEvent: key UP (keyCode=63)",
                                        "[ModifierHotkey] >>> TARGET KEY UP (keyCode=63)"}));

    events.send(63, fn);  // the second press of a double press
    events.send(63, 0);
    EXPECT_EQ(delivered(), QStringList({"down", "up", "down", "up"}));
}

TEST_F(ModifierHotkeyManagerTest, RightOptionTargetIgnoresLeftOptionOnBothPaths) {
    startWatching(61);
    // Alt+Tab held long enough for a hold: the left key must not fire a right-Alt hotkey.
    events.send(58, option);
    scheduler.advance(std::chrono::milliseconds(300));
    events.send(58, 0);
    EXPECT_TRUE(delivered().isEmpty());
    EXPECT_TRUE(log.lines().isEmpty());

    // Right Option joins while left Option is down: the Option bit was already set.
    events.send(58, option);
    events.send(61, option);
    EXPECT_TRUE(delivered().isEmpty());
    events.send(61, option);
    events.send(58, 0);

    events.send(61, option);
    events.send(61, 0);
    EXPECT_EQ(delivered(), QStringList({"down", "up"}));
}

TEST_F(ModifierHotkeyManagerTest, ASourceThatDoesNotNameTheKeyIsFollowedByItsFlag) {
    startWatching(61);
    events.send(-1, option);
    EXPECT_EQ(delivered(), QStringList{"down"});
    EXPECT_EQ(log.lines(), QStringList{"[ModifierHotkey] >>> TARGET KEY DOWN (keyCode=-1)"});
    events.send(-1, 0);
    EXPECT_EQ(delivered(), QStringList({"down", "up"}));
}

TEST_F(ModifierHotkeyManagerTest, ShiftTargetIgnoresOtherModifierBits) {
    startWatching(56);
    events.send(55, command);
    EXPECT_TRUE(delivered().isEmpty());
    events.send(56, command | shift);
    events.send(56, command);
    events.send(55, 0);
    EXPECT_EQ(delivered(), QStringList({"down", "up"}));
}

TEST_F(ModifierHotkeyManagerTest, FnSeenOnlyByTheHardwareProbeGetsItsReleaseToo) {
    startWatching(63);
    events.hardwareDown = {63};
    events.send(63, 0);
    EXPECT_EQ(delivered(), QStringList{"down"});
    events.send(63, 0);  // still down: nothing new
    events.hardwareDown.clear();
    events.send(63, 0);
    EXPECT_EQ(delivered(), QStringList({"down", "up"}));
    EXPECT_EQ(log.lines(), QStringList({"[ModifierHotkey] CGEvent: fn DOWN (hardware probe)",
                                        "[ModifierHotkey] CGEvent: fn UP (hardware probe)"}));
}

TEST_F(ModifierHotkeyManagerTest, CapsLockTargetReportsNothing) {
    startWatching(57);
    EXPECT_EQ(manager->targetFlag(), 0u);
    events.send(57, 0x10000);
    events.send(57, 0);
    EXPECT_TRUE(delivered().isEmpty());
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(ModifierHotkeyManagerTest, RestartAfterStopBeginsWithClearedFlags) {
    startWatching(62);
    events.send(62, ModifierHotkeyManager::controlFlag);
    manager->stop();
    EXPECT_EQ(events.subscriberCount(), 0);
    ASSERT_TRUE(manager->start());
    events.send(62, ModifierHotkeyManager::controlFlag);
    EXPECT_EQ(delivered(), QStringList({"down", "down"}));
}

TEST_F(ModifierHotkeyManagerTest, ReportsPendingWhenTheManagerGoesAreDropped) {
    startWatching(63);
    events.send(63, fn);
    manager->stop();
    manager.reset();
    EXPECT_TRUE(delivered().isEmpty());
}

TEST_F(ModifierHotkeyManagerTest, StartLogsWhichPathsRun) {
    manager->configure(61);
    EXPECT_TRUE(manager->start());
    EXPECT_EQ(log.lines(), QStringList({"[ModifierHotkey] AXIsProcessTrusted: true",
                                        "[ModifierHotkey] CGEventTap started: true",
                                        "[ModifierHotkey] NSEvent monitors active: global=true, local=true",
                                        "[ModifierHotkey] ✓ Started (CGEventTap + NSEvent) for keyCode=61, "
                                        "targetFlag=524288"}));
    EXPECT_EQ(events.subscriberCount(), 2);
    manager->stop();

    log.clear();
    trust.trusted = false;
    EXPECT_TRUE(manager->start());
    EXPECT_EQ(trust.promptCount, 1);
    EXPECT_EQ(events.subscriberCount(), 1);
    EXPECT_EQ(log.lines(), QStringList({"[ModifierHotkey] AXIsProcessTrusted: false",
                                        "[ModifierHotkey] Not trusted — requesting Accessibility permission",
                                        "[ModifierHotkey] NSEvent monitors active: global=true, local=true",
                                        "[ModifierHotkey] ✓ Started (NSEvent only) for keyCode=61, "
                                        "targetFlag=524288"}));
    manager->stop();

    log.clear();
    trust.trusted = true;
    events.refuseSubscriptions = true;
    EXPECT_FALSE(manager->start());
    EXPECT_TRUE(log.contains("[ModifierHotkey] Failed to create any event tap"));
    EXPECT_TRUE(log.contains("[ModifierHotkey] NSEvent monitors active: global=false, local=false"));
}

TEST_F(ModifierHotkeyManagerTest, AKeyTheSystemNeverReportsFailsToStart) {
    events.unreportable = {63, 179};
    manager->configure(63);
    EXPECT_FALSE(manager->start());
    EXPECT_EQ(events.subscriberCount(), 0);
    EXPECT_EQ(log.lines(),
              QStringList{"[ModifierHotkey] keyCode=63 is never reported on this desktop"});

    manager->configure(61);
    EXPECT_TRUE(manager->start());
    manager->stop();
}

TEST(ModifierHotkeyKeys, OnlyTheTenModifierKeyCodesAreModifierOnly) {
    QList<int> modifierOnly;
    for (int code = 0; code < 256; ++code) {
        if (KeyCodes::isModifierOnlyKey(code)) modifierOnly.append(code);
    }
    EXPECT_EQ(modifierOnly, QList<int>({54, 55, 56, 58, 59, 60, 61, 62, 63, 179}));
    EXPECT_EQ(ModifierHotkeyManager::flagForKeyCode(179), fn);
    EXPECT_EQ(ModifierHotkeyManager::flagForKeyCode(54), command);
}

}  // namespace
