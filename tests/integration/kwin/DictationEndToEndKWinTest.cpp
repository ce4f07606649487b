#include "base/QtScheduler.h"
#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/audio/QtAudioInput.h"
#include "platform/audio/QtSoundPlayer.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "platform/wayland/WaylandConnection.h"
#include "services/audio/AudioRecorder.h"
#include "services/paste/ClipboardManager.h"
#include "support/DictationFigures.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeCancelKeyGrab.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeDictationOverlay.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeModifierEventSource.h"
#include "support/FakeScriptKeystroke.h"
#include "support/FakeSpeechDetector.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/KWinTestSession.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"
#include "support/PreviousWaylandClipboard.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <QNetworkAccessManager>
#include <QProcess>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr int evdevLeftAlt = 56;
constexpr int evdevSpace = 57;
const QString caption = QStringLiteral("Quillo dictation target");

}  // namespace

// The whole road of one dictation in a KDE Plasma session: Alt+Space bound through the
// GlobalShortcuts portal and held at the compositor, the sound server's virtual microphone,
// a loopback backend, and the paste chord through the RemoteDesktop portal into a native
// Wayland text field of another process, with the clipboard saved and given back through the
// data-control protocol.
TEST(DictationEndToEndKWin, HoldingTheHotkeyPastesTheBackendsTextIntoAWaylandField) {
    REQUIRE_ENVIRONMENT(KWinTestSession::isRunning() && RequireEnvironment::hasSoundServer(),
                        "headless KWin inside the sound server's test environment "
                        "(scripts/with-test-env.sh scripts/with-kwin.sh ...)");
    MicPipeLock microphone(MicPipeFeeder::pipePath());
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    LoopbackHttpServer backend;
    backend.enqueue(
        ScriptedResponse::json(200, R"({"text":"hello from the microphone","words":4})"));
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"Hello from Wayland."})"));

    InMemoryDefaultsStore store;
    store.setBoolean("onboarding_completed", true);
    store.setBoolean("launch_at_login_set", true);
    AppSettings settings(store);
    settings.setPlaySoundOnComplete(false);
    LogCapture log;
    QtScheduler scheduler;
    QNetworkAccessManager network;
    PortalGlobalShortcutsBackend hotkeys;
    FakeModifierEventSource modifiers;
    FakeAccessibilityTrust accessibility(true);
    AudioRecorder recorder(std::make_shared<QtAudioInput>());
    WaylandConnection connection;
    DataControlPasteboard pasteboard(connection);
    ASSERT_TRUE(pasteboard.isAvailable()) << "KWin offers no data-control protocol";
    PortalRemoteDesktopKeystrokeSender keystrokes(store,
                                                  [&hotkeys] { return hotkeys.heldModifiers(); });
    FakeScriptKeystroke script;
    ClipboardManager clipboard(pasteboard, keystrokes, script, accessibility, scheduler);
    FakeDictationOverlay overlay;
    QtSoundPlayer sounds;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity identity(QStringLiteral("0123456789abcdef0123456789abcdef"));
    FakeCancelKeyGrab cancelKey;
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
    ASSERT_TRUE(waitUntil(
        [&] {
            return log.contains(
                "[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=2048)");
        },
        10s));
    ASSERT_TRUE(waitUntil([&] { return keystrokes.isReady(); }, KWinTestSession::portalStart));

    QProcess target;
    target.start(QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_text_field_child"), {caption});
    ASSERT_TRUE(target.waitForReadyRead(5000));
    ASSERT_TRUE(KWinTestSession::activateWindow(caption));
    QStringList lines;
    DictationFigures figures;
    bool released = false;
    QObject::connect(&target, &QProcess::readyReadStandardOutput, [&] {
        if (released)
            figures.markText();
    });
    const auto sawLine = [&](const QString& wanted) {
        return waitUntil(
            [&] {
                // Only the line break goes: the pasted text ends in a space.
                while (target.canReadLine())
                    lines.append(QString::fromUtf8(target.readLine()).chopped(1));
                return lines.contains(wanted);
            },
            10s);
    };
    ASSERT_TRUE(sawLine(QStringLiteral("focused")));
    PreviousWaylandClipboard previous;
    ASSERT_TRUE(previous.isOwning());

    FakeInputKeyboard keyboard(QStringLiteral(QUILLO_BINARY_DIR "/tests/kwin-fake-input"));
    ASSERT_TRUE(keyboard.isReady());
    {
        MicPipeFeeder speech(MicPipeFeeder::pipePath(), 440.0, 0.5);
        ASSERT_TRUE(speech.isOpen());
        ASSERT_TRUE(keyboard.press(evdevLeftAlt));
        ASSERT_TRUE(keyboard.press(evdevSpace));
        ASSERT_TRUE(waitUntil([&] { return recorder.isRecording(); }, 3000ms));
        runEventLoopFor(1000ms);
        figures.markRelease();
        released = true;
        ASSERT_TRUE(keyboard.release(evdevSpace));
        ASSERT_TRUE(keyboard.release(evdevLeftAlt));
        ASSERT_TRUE(waitUntil([&] { return !recorder.isRecording(); }, 3000ms));
    }
    EXPECT_TRUE(sawLine(QStringLiteral("text Hello from Wayland. ")))
        << lines.join('|').toStdString();
    figures.print("KWin", backend);
    EXPECT_TRUE(
        waitUntil([&] { return coordinator.stateMachine().state() == RecordingStateValue::idle; }));
    ASSERT_EQ(backend.requests().size(), 2);
    EXPECT_TRUE(log.contains("[HotkeyManager] Option+Space DOWN (state: idle)"));
    EXPECT_EQ(log.lines().filter("Option+Space DOWN").size(), 1);
    EXPECT_EQ(log.lines().filter("Option+Space UP").size(), 1);
    EXPECT_TRUE(log.contains("[ClipboardManager] Text pasted successfully"));
    EXPECT_TRUE(waitUntil([&] { return previous.isBack(); }, 5s));
    target.kill();
    target.waitForFinished(2000);
}
