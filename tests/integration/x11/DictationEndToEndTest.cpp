#include "base/QtScheduler.h"
#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/audio/QtAudioInput.h"
#include "platform/audio/QtSoundPlayer.h"
#include "platform/x11/X11AccessibilityTrust.h"
#include "platform/x11/X11CancelKeyGrab.h"
#include "platform/x11/X11CompositorStatus.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "platform/x11/XTestKeystrokeSender.h"
#include "services/audio/AudioRecorder.h"
#include "services/paste/ClipboardManager.h"
#include "support/DictationFigures.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeSpeechDetector.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"
#include "support/X11TestClient.h"
#include "views/overlay/OverlayWindowController.h"
#include "support/RequireEnvironment.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xSpace = 65;
constexpr quint8 xLeftAlt = 64;
constexpr quint8 xEscape = 9;

// The real parts of one desktop session, with a loopback server standing in for the backend.
class DictationEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows() &&
                                RequireEnvironment::hasSoundServer(),
                            "the X display and sound server of scripts/with-test-env.sh");
        microphone = std::make_unique<MicPipeLock>(MicPipeFeeder::pipePath());
        MicPipeFeeder::drain(MicPipeFeeder::pipePath());
        store.setBoolean("onboarding_completed", true);
        store.setBoolean("launch_at_login_set", true);
        settings.setPlaySoundOnComplete(false);
    }

    void startCoordinator() {
        coordinator = std::make_unique<DictationCoordinator>(DictationCoordinator::Dependencies{
            settings,
            recorder,
            clipboard,
            overlay,
            sounds,
            accessibility,
            scheduler,
            hotkeys,
            modifiers,
            loginItems,
            identity,
            DictationCoordinator::RemoteServices{HttpTransport(&network), {}, {},
                                                 backend.baseURL()},
            {},
            cancelKey,
            speech});
        coordinator->start();
    }

    bool focusField() {
        field.resize(400, 40);
        field.show();
        field.activateWindow();
        if (!QTest::qWaitForWindowActive(&field, 5000)) {
            return false;
        }
        field.setFocus();
        return true;
    }

    RecordingStateValue state() const { return coordinator->stateMachine().state(); }

    // Holds Alt+Space for about a second while the microphone plays a tone.
    bool holdHotkey(X11TestClient& keyboard) {
        MicPipeFeeder tone(MicPipeFeeder::pipePath(), 440.0, 0.5);
        if (!tone.isOpen()) {
            return false;
        }
        keyboard.press(xLeftAlt);
        keyboard.press(xSpace);
        const bool started = waitUntil([&] { return recorder.isRecording(); }, 3000ms);
        runEventLoopFor(1000ms);
        figures.markRelease();
        keyboard.release(xSpace);
        keyboard.release(xLeftAlt);
        return started && waitUntil([&] { return !recorder.isRecording(); }, 3000ms);
    }

    std::unique_ptr<MicPipeLock> microphone;
    LoopbackHttpServer backend;
    InMemoryDefaultsStore store;
    AppSettings settings{store};
    LogCapture log;
    QtScheduler scheduler;
    QNetworkAccessManager network;
    X11GlobalHotkeyBackend hotkeys;
    X11ModifierEventSource modifiers;
    X11AccessibilityTrust accessibility;
    AudioRecorder recorder{std::make_shared<QtAudioInput>()};
    X11Pasteboard pasteboard;
    XTestKeystrokeSender keystrokes;
    XdotoolScriptKeystroke script;
    ClipboardManager clipboard{pasteboard, keystrokes, script, accessibility, scheduler};
    X11CompositorStatus compositor;
    OverlayWindowController overlay{scheduler, compositor};
    QtSoundPlayer sounds;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity identity{QStringLiteral("0123456789abcdef0123456789abcdef")};
    X11CancelKeyGrab cancelKey;
    FakeSpeechDetector speech;  // the microphone plays a tone, not speech
    std::unique_ptr<DictationCoordinator> coordinator;
    QLineEdit field;
    DictationFigures figures;
};

}  // namespace

// The whole road of one dictation with the real parts: a held Alt+Space grabbed on the X
// server, the virtual microphone of the sound server, the overlay, the paste chord into a
// focused text field, and a loopback server standing in for the backend.
TEST_F(DictationEndToEnd, HoldingTheHotkeyPastesTheBackendsTextIntoTheFocusedField) {
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"hello from the microphone","words":4})"));
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"Hello from the microphone."})"));
    startCoordinator();
    ASSERT_TRUE(log.contains("[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=2048)"));
    ASSERT_TRUE(focusField());
    QObject::connect(&field, &QLineEdit::textChanged, [&] { figures.markText(); });

    X11TestClient keyboard;
    ASSERT_TRUE(holdHotkey(keyboard));

    EXPECT_TRUE(waitUntil([&] { return field.text() == "Hello from the microphone. "; }, 10000ms))
        << field.text().toStdString();
    figures.print("X11", backend);
    EXPECT_TRUE(waitUntil([&] { return state() == RecordingStateValue::idle; }));

    ASSERT_EQ(backend.requests().size(), 2);
    const QByteArray& upload = backend.requests()[0].body;
    // About a second of 16 kHz mono 16-bit audio inside the multipart body.
    EXPECT_GT(upload.size(), 44 + 25000);
    EXPECT_LT(upload.size(), 44 + 64000);
    EXPECT_EQ(backend.requests()[1].path, "/api/format");
    EXPECT_EQ(settings.recentDictations().value(0).text, "Hello from the microphone.");
    EXPECT_TRUE(log.contains("[Quillo] Formatted: \"Hello from the microphone.\""));
}

// A second hold while the backend is still working on the first: both are recorded, and the
// texts land in the field in the order they were spoken, though the second is ready first.
TEST_F(DictationEndToEnd, ASecondHoldDuringASlowFirstDictationPastesBothInOrder) {
    ScriptedResponse slowFirst =
        ScriptedResponse::json(200, R"({"text":"one two three","words":3})");
    slowFirst.delay = 4000ms;
    backend.enqueue(slowFirst);
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"four five","words":2})"));
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"Four five."})"));
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"One two three."})"));
    startCoordinator();
    ASSERT_TRUE(focusField());

    X11TestClient keyboard;
    ASSERT_TRUE(holdHotkey(keyboard));
    ASSERT_TRUE(waitUntil([&] { return backend.requests().size() == 1; }, 3000ms));
    ASSERT_TRUE(holdHotkey(keyboard));

    EXPECT_TRUE(waitUntil(
        [&] { return field.text() == "One two three. Four five. "; }, 15000ms))
        << field.text().toStdString();
    EXPECT_TRUE(waitUntil([&] { return state() == RecordingStateValue::idle; }));
    ASSERT_EQ(backend.requests().size(), 4);
    EXPECT_GT(backend.requests()[1].body.size(), 44 + 25000) << "the second hold recorded";
    const auto history = settings.recentDictations();
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(history[0].text, "Four five.");
    EXPECT_EQ(history[1].text, "One two three.");
}

// Escape during the second recording (hands-free: the held combination's own grab keeps
// Escape from the cancel grab) drops only that recording; the first still arrives.
TEST_F(DictationEndToEnd, EscapeDuringASecondRecordingLeavesTheFirstDictationIntact) {
    ScriptedResponse slowFirst =
        ScriptedResponse::json(200, R"({"text":"one two three","words":3})");
    slowFirst.delay = 2000ms;
    backend.enqueue(slowFirst);
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"One two three."})"));
    startCoordinator();
    ASSERT_TRUE(focusField());

    X11TestClient keyboard;
    ASSERT_TRUE(holdHotkey(keyboard));
    ASSERT_TRUE(waitUntil([&] { return backend.requests().size() == 1; }, 3000ms));
    for (int press = 0; press < 2; ++press) {  // a double press: hands-free
        keyboard.press(xLeftAlt);
        keyboard.press(xSpace);
        keyboard.release(xSpace);
        keyboard.release(xLeftAlt);
    }
    ASSERT_TRUE(waitUntil([&] { return recorder.isRecording(); }, 3000ms));
    keyboard.press(xEscape);
    keyboard.release(xEscape);
    ASSERT_TRUE(waitUntil([&] { return log.contains("[Quillo] Recording cancelled"); }, 3000ms));
    EXPECT_FALSE(recorder.isRecording());

    EXPECT_TRUE(waitUntil([&] { return field.text() == "One two three. "; }, 10000ms))
        << field.text().toStdString();
    EXPECT_TRUE(waitUntil([&] { return state() == RecordingStateValue::idle; }));
    EXPECT_EQ(backend.requests().size(), 2);
    EXPECT_EQ(settings.recentDictations().size(), 1);
}
