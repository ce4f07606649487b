#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/x11/X11CancelKeyGrab.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeDictationOverlay.h"
#include "support/FakeDictationRecorder.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeModifierEventSource.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeSpeechDetector.h"
#include "support/FakeTextPaster.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QNetworkAccessManager>
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

}  // namespace

TEST(CancelKeyGrab, EscapeIsOursOnlyWhileGrabbed) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows(),
                        "the X display of scripts/with-test-env.sh");
    X11TestClient keyboard;
    ASSERT_TRUE(keyboard.isConnected());
    EscapeCounter window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 5000));

    X11CancelKeyGrab cancelKey;
    int cancels = 0;
    {
        ScopedRegistration grab = cancelKey.grab([&] { ++cancels; });
        ASSERT_TRUE(grab.isSet());
        EXPECT_FALSE(cancelKey.grab([] {}).isSet()) << "one holder at a time";

        keyboard.press(xEscape);
        keyboard.release(xEscape);
        ASSERT_TRUE(waitUntil([&] { return cancels == 1; }));
        // With a modifier held it cancels just the same.
        keyboard.press(xLeftShift);
        keyboard.press(xEscape);
        keyboard.release(xEscape);
        keyboard.release(xLeftShift);
        ASSERT_TRUE(waitUntil([&] { return cancels == 2; }));
        runEventLoopFor(100ms);
        EXPECT_EQ(window.escapes, 0) << "the application did not see the grabbed key";
    }

    // Released: Escape reaches the focused application again, and no longer cancels.
    keyboard.press(xEscape);
    keyboard.release(xEscape);
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
TEST(CancelKeyGrab, EscapeDuringAHeldHotkeyCancelsTheRecording) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows(),
                        "the X display of scripts/with-test-env.sh");
    X11TestClient keyboard;
    ASSERT_TRUE(keyboard.isConnected());
    EscapeCounter window;
    window.resize(200, 100);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 5000));

    LogCapture log;
    InMemoryDefaultsStore store;
    store.setBoolean("onboarding_completed", true);
    store.setBoolean("launch_at_login_set", true);
    AppSettings settings(store);
    ManualScheduler scheduler;
    QNetworkAccessManager network;
    FakeDictationRecorder recorder;
    FakeTextPaster paster;
    FakeDictationOverlay overlay;
    FakeSoundPlayer sounds;
    FakeAccessibilityTrust trust;
    X11GlobalHotkeyBackend hotkeys;
    FakeModifierEventSource modifiers;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity identity(QStringLiteral("0123456789abcdef0123456789abcdef"));
    X11CancelKeyGrab cancelKey;
    FakeSpeechDetector speech;
    DictationCoordinator coordinator(DictationCoordinator::Dependencies{
        settings,
        recorder,
        paster,
        overlay,
        sounds,
        trust,
        scheduler,
        hotkeys,
        modifiers,
        loginItems,
        identity,
        DictationCoordinator::RemoteServices{HttpTransport(&network), {}, {}, {}},
        {},
        cancelKey,
        speech});
    coordinator.start();
    const auto state = [&] { return coordinator.stateMachine().state(); };

    keyboard.press(xLeftAlt);
    keyboard.press(xSpace);
    ASSERT_TRUE(waitUntil([&] { return state() == RecordingStateValue::pendingIntent; }));
    scheduler.advance(300ms);
    ASSERT_EQ(state(), RecordingStateValue::holdRecording);

    keyboard.press(xEscape);
    EXPECT_TRUE(waitUntil([&] { return log.contains("[Quillo] Recording cancelled"); }));
    keyboard.release(xEscape);
    keyboard.release(xSpace);
    keyboard.release(xLeftAlt);
    runEventLoopFor(100ms);
    scheduler.advance(1000ms);
    EXPECT_EQ(state(), RecordingStateValue::idle);
    EXPECT_FALSE(recorder.recording) << "the audio is dropped";
    EXPECT_TRUE(paster.pasted.isEmpty()) << "nothing is sent or pasted";
    EXPECT_EQ(window.escapes, 0) << "the focused window did not see Escape";

    // The grabs are gone with the recording: Escape reaches the window again.
    keyboard.press(xEscape);
    keyboard.release(xEscape);
    EXPECT_TRUE(waitUntil([&] { return window.escapes == 1; }));
}
