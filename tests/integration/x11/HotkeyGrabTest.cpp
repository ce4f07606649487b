#include "base/QtScheduler.h"
#include "models/RecordingStateMachine.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "services/hotkey/HotkeyManager.h"
#include "support/LogCapture.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xSpace = 65;
constexpr quint8 xLeftAlt = 64;
constexpr quint8 xLeftControl = 37;
constexpr quint8 xCapsLock = 66;
constexpr quint8 xD = 40;
constexpr quint16 xControlMask = 1 << 2;

class HotkeyGrabTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasXServer(),
                            "the X display of scripts/with-test-env.sh");
        ASSERT_TRUE(keyboard.isConnected());
        handler = backend.installHandler([this](const HotkeyEvent& event) {
            (event.kind == HotkeyEventKind::pressed ? presses : releases) += 1;
            return event.id == id;
        });
        ASSERT_TRUE(handler.succeeded());
    }

    void pressAltSpace() {
        keyboard.press(xLeftAlt);
        keyboard.press(xSpace);
    }
    void releaseAltSpace() {
        keyboard.release(xSpace);
        keyboard.release(xLeftAlt);
    }

    X11TestClient keyboard;
    X11GlobalHotkeyBackend backend;
    GlobalHotkeyBackend::Outcome handler;
    const HotkeyId id{fourCharCode("TEST"), 7};
    int presses = 0;
    int releases = 0;
};

TEST_F(HotkeyGrabTest, AltSpaceGrabReceivesPressAndReleaseWithAndWithoutCapsLock) {
    auto grab = backend.registerHotkey(49, 2048, id);
    ASSERT_TRUE(grab.succeeded()) << grab.status;

    pressAltSpace();
    ASSERT_TRUE(waitUntil([&] { return presses == 1; }));
    releaseAltSpace();
    ASSERT_TRUE(waitUntil([&] { return releases == 1; }));

    // Caps Lock on adds the Lock bit to the state: the variant grab still matches.
    keyboard.press(xCapsLock);
    keyboard.release(xCapsLock);
    pressAltSpace();
    releaseAltSpace();
    EXPECT_TRUE(waitUntil([&] { return presses == 2 && releases == 2; }));
    keyboard.press(xCapsLock);
    keyboard.release(xCapsLock);

    // Space alone is not the combination.
    keyboard.press(xSpace);
    keyboard.release(xSpace);
    runEventLoopFor(100ms);
    EXPECT_EQ(presses, 2);
}

TEST_F(HotkeyGrabTest, HeldKeyWithAutoRepeatGivesOnePressAndOneRelease) {
    auto grab = backend.registerHotkey(49, 2048, id);
    ASSERT_TRUE(grab.succeeded());

    pressAltSpace();
    // Longer than the server's repeat delay (660 ms on Xvfb), so repeats do arrive.
    runEventLoopFor(1500ms);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 0);
    releaseAltSpace();
    ASSERT_TRUE(waitUntil([&] { return releases == 1; }));
    runEventLoopFor(100ms);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(releases, 1);
}

TEST_F(HotkeyGrabTest, CombinationHeldByAnotherClientFailsWithTheLogLine) {
    X11TestClient other;
    ASSERT_TRUE(other.grabKey(xD, xControlMask));

    LogCapture log;
    RecordingStateMachine stateMachine;
    HotkeyManager manager(stateMachine, backend, QtScheduler::instance());
    EXPECT_FALSE(manager.start(2, 4096));
    EXPECT_EQ(log.lines(), QStringList{"[HotkeyManager] RegisterEventHotKey failed: 10"});

    other.ungrabKey(xD, xControlMask);
    EXPECT_TRUE(manager.start(2, 4096));
    manager.stop();
}

TEST_F(HotkeyGrabTest, StopReleasesTheGrabForOthers) {
    RecordingStateMachine stateMachine;
    HotkeyManager manager(stateMachine, backend, QtScheduler::instance());
    ASSERT_TRUE(manager.start(2, 4096));
    X11TestClient other;
    EXPECT_FALSE(other.grabKey(xD, xControlMask));
    manager.stop();
    EXPECT_TRUE(other.grabKey(xD, xControlMask));

    // And a key nobody can type is a clear failure, not a grab of something else.
    auto fn = backend.registerHotkey(63, 2048, id);
    EXPECT_EQ(fn.status, GlobalHotkeyBackend::paramError);
}

TEST_F(HotkeyGrabTest, ManagerRunsTheHoldGestureOnRealKeys) {
    RecordingStateMachine stateMachine;
    HotkeyManager manager(stateMachine, backend, QtScheduler::instance());
    int starts = 0;
    int stops = 0;
    manager.onStartRecording = [&] { ++starts; };
    manager.onStopRecording = [&] { ++stops; };
    ASSERT_TRUE(manager.start(49, 4096));

    keyboard.press(xLeftControl);
    keyboard.press(xSpace);
    ASSERT_TRUE(waitUntil([&] { return starts == 1; }));
    keyboard.release(xSpace);
    keyboard.release(xLeftControl);
    ASSERT_TRUE(waitUntil([&] { return stops == 1; }));
    EXPECT_EQ(stateMachine.state(), RecordingStateValue::processing);
    manager.stop();
}

}  // namespace
