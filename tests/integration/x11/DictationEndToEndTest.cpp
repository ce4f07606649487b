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

}  // namespace

// The whole road of one dictation with the real parts: a held Alt+Space grabbed on the X
// server, the virtual microphone of the sound server, the overlay, the paste chord into a
// focused text field, and a loopback server standing in for the backend.
TEST(DictationEndToEnd, HoldingTheHotkeyPastesTheBackendsTextIntoTheFocusedField) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows() && RequireEnvironment::hasSoundServer(),
                        "the X display and sound server of scripts/with-test-env.sh");
    MicPipeLock microphone(MicPipeFeeder::pipePath());
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());

    LoopbackHttpServer backend;
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"hello from the microphone","words":4})"));
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"Hello from the microphone."})"));

    InMemoryDefaultsStore store;
    store.setBoolean("onboarding_completed", true);
    store.setBoolean("launch_at_login_set", true);
    AppSettings settings(store);
    settings.setPlaySoundOnComplete(false);

    LogCapture log;
    QtScheduler scheduler;
    QNetworkAccessManager network;
    X11GlobalHotkeyBackend hotkeys;
    X11ModifierEventSource modifiers;
    X11AccessibilityTrust accessibility;
    AudioRecorder recorder(std::make_shared<QtAudioInput>());
    X11Pasteboard pasteboard;
    XTestKeystrokeSender keystrokes;
    XdotoolScriptKeystroke script;
    ClipboardManager clipboard(pasteboard, keystrokes, script, accessibility, scheduler);
    X11CompositorStatus compositor;
    OverlayWindowController overlay(scheduler, compositor);
    QtSoundPlayer sounds;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity identity(QStringLiteral("0123456789abcdef0123456789abcdef"));
    X11CancelKeyGrab cancelKey;
    FakeSpeechDetector speech;  // the microphone plays a tone, not speech
    DictationCoordinator coordinator(DictationCoordinator::Dependencies{
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
        DictationCoordinator::RemoteServices{HttpTransport(&network), {}, {}, backend.baseURL()},
        {},
        cancelKey,
        speech});
    coordinator.start();
    ASSERT_TRUE(log.contains("[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=2048)"));

    QLineEdit field;
    field.resize(400, 40);
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field, 5000));
    field.setFocus();
    DictationFigures figures;
    QObject::connect(&field, &QLineEdit::textChanged, [&] { figures.markText(); });

    {
        MicPipeFeeder speech(MicPipeFeeder::pipePath(), 440.0, 0.5);
        ASSERT_TRUE(speech.isOpen());
        X11TestClient keyboard;
        keyboard.press(xLeftAlt);
        keyboard.press(xSpace);
        ASSERT_TRUE(waitUntil([&] { return recorder.isRecording(); }, 3000ms));
        runEventLoopFor(1000ms);
        figures.markRelease();
        keyboard.release(xSpace);
        keyboard.release(xLeftAlt);
        ASSERT_TRUE(waitUntil([&] { return !recorder.isRecording(); }, 3000ms));
    }

    EXPECT_TRUE(waitUntil([&] { return field.text() == "Hello from the microphone. "; }, 10000ms))
        << field.text().toStdString();
    figures.print("X11", backend);
    EXPECT_TRUE(waitUntil([&] { return coordinator.stateMachine().state() == RecordingStateValue::idle; }));

    ASSERT_EQ(backend.requests().size(), 2);
    const QByteArray& upload = backend.requests()[0].body;
    // About a second of 16 kHz mono 16-bit audio inside the multipart body.
    EXPECT_GT(upload.size(), 44 + 25000);
    EXPECT_LT(upload.size(), 44 + 64000);
    EXPECT_EQ(backend.requests()[1].path, "/api/format");
    EXPECT_EQ(settings.recentDictations().value(0).text, "Hello from the microphone.");
    EXPECT_TRUE(log.contains("[Quillo] Formatted: \"Hello from the microphone.\""));
}
