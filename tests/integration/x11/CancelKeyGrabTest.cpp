#include "dictation/DictationCoordinator.h"
#include "platform/x11/X11CancelKeyGrab.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "support/DictationRig.h"
#include "support/RequireEnvironment.h"
#include "support/X11TestClient.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xEscape = 9;
constexpr quint8 xLeftShift = 50;
constexpr quint8 xLeftAlt = 64;
constexpr quint8 xSpace = 65;

// A focused window that counts the Escape presses it receives.
class EscapeCounter final : public QWidget {
public:
    int escapes = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            ++escapes;
        }
    }
};

// Escape typed on the X server while another window has the focus.
class CancelKeyGrabTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows(),
                            "the X display of scripts/with-test-env.sh");
        ASSERT_TRUE(keyboard.isConnected());
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 5000));
    }

    void typeEscape() {
        keyboard.press(xEscape);
        keyboard.release(xEscape);
    }

    X11TestClient keyboard;
    EscapeCounter window;
};

}  // namespace

TEST_F(CancelKeyGrabTest, EscapeIsOursOnlyWhileGrabbed) {
    X11CancelKeyGrab cancelKey;
    int cancels = 0;
    {
        ScopedRegistration grab = cancelKey.grab([&] { ++cancels; });
        ASSERT_TRUE(grab.isSet());
        EXPECT_FALSE(cancelKey.grab([] {}).isSet()) << "one holder at a time";

        typeEscape();
        ASSERT_TRUE(waitUntil([&] { return cancels == 1; }));
        // With a modifier held it cancels just the same.
        keyboard.press(xLeftShift);
        typeEscape();
        keyboard.release(xLeftShift);
        ASSERT_TRUE(waitUntil([&] { return cancels == 2; }));
        runEventLoopFor(100ms);
        EXPECT_EQ(window.escapes, 0) << "the application did not see the grabbed key";
    }

    // Released: Escape reaches the focused application again, and no longer cancels.
    typeEscape();
    EXPECT_TRUE(waitUntil([&] { return window.escapes == 1; }));
    EXPECT_EQ(cancels, 2);

    // Another client holding Escape makes the grab fail instead of stealing it.
    ASSERT_TRUE(keyboard.grabKey(xEscape, 0));
    EXPECT_FALSE(cancelKey.grab([] {}).isSet());
    keyboard.ungrabKey(xEscape, 0);
    EXPECT_TRUE(cancelKey.grab([] {}).isSet());
}

// While Alt+Space is held, its passive grab has become an active grab of the whole keyboard:
// Escape pressed then must still cancel the recording, and reach no other window.
TEST_F(CancelKeyGrabTest, EscapeDuringAHeldHotkeyCancelsTheRecording) {
    DictationRig rig;
    X11GlobalHotkeyBackend hotkeys;
    X11CancelKeyGrab cancelKey;
    rig.parts.hotkeys = &hotkeys;
    rig.parts.cancelKey = &cancelKey;
    const auto coordinator = rig.startCoordinator();
    const auto state = [&] { return coordinator->stateMachine().state(); };

    keyboard.press(xLeftAlt);
    keyboard.press(xSpace);
    ASSERT_TRUE(waitUntil([&] { return state() == RecordingStateValue::pendingIntent; }));
    rig.scheduler.advance(300ms);
    ASSERT_EQ(state(), RecordingStateValue::holdRecording);

    keyboard.press(xEscape);
    EXPECT_TRUE(waitUntil([&] { return rig.log.contains("[Quillo] Recording cancelled"); }));
    keyboard.release(xEscape);
    keyboard.release(xSpace);
    keyboard.release(xLeftAlt);
    runEventLoopFor(100ms);
    rig.scheduler.advance(1000ms);
    EXPECT_EQ(state(), RecordingStateValue::idle);
    EXPECT_FALSE(rig.recorder.recording) << "the audio is dropped";
    EXPECT_TRUE(rig.paster.pasted.isEmpty()) << "nothing is sent or pasted";
    EXPECT_EQ(window.escapes, 0) << "the focused window did not see Escape";

    // The grabs are gone with the recording: Escape reaches the window again.
    typeEscape();
    EXPECT_TRUE(waitUntil([&] { return window.escapes == 1; }));
}
