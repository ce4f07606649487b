#include "models/RecordingStateMachine.h"
#include "services/hotkey/HotkeyManager.h"
#include "support/FakeGlobalHotkeyBackend.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using State = RecordingStateValue;

namespace {

class HotkeyManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager.onStartRecording = [this] { ++starts; };
        manager.onStopRecording = [this] { ++stops; };
        ASSERT_TRUE(manager.start(49, 2048));
        log.clear();
    }

    void press() { backend.press(HotkeyManager::hotkeyId); }
    void release() { backend.release(HotkeyManager::hotkeyId); }

    LogCapture log;
    ManualScheduler scheduler;
    RecordingStateMachine stateMachine;
    FakeGlobalHotkeyBackend backend;
    HotkeyManager manager{stateMachine, backend, scheduler};
    int starts = 0;
    int stops = 0;
};

TEST_F(HotkeyManagerTest, ATapReturnsToIdleWhenTheWindowClosesAndTheNextPressIsANewGesture) {
    press();
    scheduler.advance(100ms);
    release();
    EXPECT_EQ(stateMachine.state(), State::checkDoublePress);
    scheduler.advance(299ms);
    EXPECT_EQ(stateMachine.state(), State::checkDoublePress);
    scheduler.advance(1ms);

    EXPECT_EQ(stateMachine.state(), State::idle);
    EXPECT_EQ(starts + stops, 0);
    EXPECT_EQ(log.lines(), QStringList({"[HotkeyManager] Option+Space DOWN (state: idle)",
                                        "[HotkeyManager] Option+Space UP (state: pendingIntent)",
                                        "[HotkeyManager] Double-press timeout -> back to idle"}));

    press();  // after the window: a new gesture, no double press
    EXPECT_EQ(stateMachine.state(), State::pendingIntent);
    EXPECT_EQ(starts, 0);
}

TEST_F(HotkeyManagerTest, HoldStartsAtTheThresholdAndReleaseStops) {
    press();
    scheduler.advance(299ms);
    EXPECT_EQ(starts, 0);
    scheduler.advance(1ms);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(stateMachine.state(), State::holdRecording);
    scheduler.advance(700ms);
    release();

    EXPECT_EQ(stops, 1);
    EXPECT_EQ(stateMachine.state(), State::processing);
    EXPECT_TRUE(log.contains("[HotkeyManager] Hold threshold reached -> start recording"));
    EXPECT_EQ(log.lines().last(), "[HotkeyManager] Hold released -> stop recording");
    scheduler.advance(1000ms);
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(stops, 1);
}

TEST_F(HotkeyManagerTest, DoublePressRecordsHandsFreeUntilAThirdPress) {
    press();
    scheduler.advance(50ms);
    release();
    scheduler.advance(200ms);
    press();
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(stateMachine.state(), State::handsfreeRecording);
    EXPECT_TRUE(log.contains("[HotkeyManager] Handsfree recording started"));

    // Neither the old timers nor the second release end hands-free recording.
    scheduler.advance(50ms);
    release();
    scheduler.advance(2000ms);
    EXPECT_EQ(stateMachine.state(), State::handsfreeRecording);
    EXPECT_EQ(stops, 0);

    press();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(stateMachine.state(), State::processing);
    EXPECT_FALSE(log.contains("[HotkeyManager] Double-press timeout -> back to idle"));
}

// A dictation still being processed does not keep the next one from being recorded.
TEST_F(HotkeyManagerTest, PressWhileProcessingBeginsTheNextDictation) {
    stateMachine.setState(State::processing);
    stateMachine.setEarlierDictationsPending(true);
    press();
    EXPECT_EQ(stateMachine.state(), State::pendingIntent);
    EXPECT_EQ(stops, 0);
    scheduler.advance(300ms);
    EXPECT_EQ(starts, 1);
    release();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(stateMachine.state(), State::processing);

    press();  // a tap while that one is processed too: back to processing, not idle
    release();
    scheduler.advance(300ms);
    EXPECT_EQ(stateMachine.state(), State::processing);
    EXPECT_EQ(starts, 1);
}

TEST_F(HotkeyManagerTest, EventsOfOtherRegistrationsAreNotHandled) {
    EXPECT_FALSE(backend.press(HotkeyId{fourCharCode("QUIL"), 2}));
    EXPECT_FALSE(backend.press(HotkeyId{fourCharCode("OTHR"), 1}));
    EXPECT_FALSE(backend.deliver({std::nullopt, HotkeyEventKind::pressed}));
    EXPECT_FALSE(backend.deliver({HotkeyManager::hotkeyId, static_cast<HotkeyEventKind>(7)}));
    EXPECT_EQ(stateMachine.state(), State::idle);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(HotkeyManagerTest, StartingAgainReplacesTheRegistrationAndKeepsOneHandler) {
    ASSERT_TRUE(manager.start(2, 4096));
    EXPECT_EQ(backend.installCount(), 1);
    ASSERT_EQ(backend.registrations().size(), 1);
    EXPECT_EQ(backend.registrations().first().keyCode, 2u);
    EXPECT_EQ(backend.registrations().first().modifiers, 4096u);
    EXPECT_EQ(log.lines(), QStringList{"[HotkeyManager] Carbon hotkey registered (keyCode=2, modifiers=4096)"});
}

TEST_F(HotkeyManagerTest, RefusedRegistrationFailsWithItsStatusAndKeepsTheHandler) {
    backend.nextRegisterStatus = 10;
    EXPECT_FALSE(manager.start(49, 4096));
    EXPECT_EQ(log.lines(), QStringList{"[HotkeyManager] RegisterEventHotKey failed: 10"});
    EXPECT_TRUE(backend.registrations().isEmpty());
    EXPECT_TRUE(manager.isHandlerInstalled());

    FakeGlobalHotkeyBackend refusing;
    refusing.nextInstallStatus = -1;
    HotkeyManager other(stateMachine, refusing, scheduler);
    EXPECT_FALSE(other.start(49, 2048));
    EXPECT_EQ(log.lines().last(), "[HotkeyManager] InstallEventHandler failed: -1");
    EXPECT_TRUE(refusing.registerCalls().isEmpty());
}

TEST_F(HotkeyManagerTest, StopRemovesEverythingAndCancelsTheTimers) {
    press();
    manager.stop();
    scheduler.advance(1000ms);

    EXPECT_EQ(backend.handlerCount(), 0);
    EXPECT_TRUE(backend.registrations().isEmpty());
    EXPECT_EQ(starts, 0);
    EXPECT_EQ(stateMachine.state(), State::pendingIntent);
}

// A desktop that answers a registration later: only its answer is logged, and only while the
// registration stands.
TEST_F(HotkeyManagerTest, ARegistrationAwaitingConfirmationIsLoggedByItsAnswer) {
    backend.nextRegisterAwaitsConfirmation = true;
    ASSERT_TRUE(manager.start(49, 2048));
    manager.stop();
    EXPECT_FALSE(backend.confirm(HotkeyManager::hotkeyId));
    EXPECT_TRUE(log.lines().isEmpty()) << "stopped before the answer";

    ASSERT_TRUE(manager.start(49, 2048));
    EXPECT_TRUE(backend.refuse(HotkeyManager::hotkeyId, -9878));
    EXPECT_EQ(log.lines(), QStringList{"[HotkeyManager] RegisterEventHotKey failed: -9878"});
    EXPECT_FALSE(manager.isRegistered());
    EXPECT_TRUE(backend.registrations().isEmpty());
    EXPECT_TRUE(manager.isHandlerInstalled());

    log.clear();
    ASSERT_TRUE(manager.start(49, 2048));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(manager.isRegistered());
    EXPECT_TRUE(backend.confirm(HotkeyManager::hotkeyId));
    EXPECT_EQ(log.lines(), QStringList{"[HotkeyManager] Carbon hotkey registered (keyCode=49, "
                                       "modifiers=2048)"});
    // The gestures work as with a registration confirmed at once.
    press();
    EXPECT_EQ(stateMachine.state(), State::pendingIntent);
}

}  // namespace
