#include "integration/wayland/SwaySession.h"

#include "app/SingleInstance.h"
#include "base/QtScheduler.h"
#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/audio/QtAudioInput.h"
#include "platform/audio/QtSoundPlayer.h"
#include "platform/wayland/CommandHotkeyBackend.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/VirtualKeyboardAccessibilityTrust.h"
#include "platform/wayland/VirtualKeyboardKeystrokeSender.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "services/audio/AudioRecorder.h"
#include "services/paste/ClipboardManager.h"
#include "support/DictationFigures.h"
#include "support/FakeCancelKeyGrab.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeDictationOverlay.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeSpeechDetector.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"
#include "support/PreviousWaylandClipboard.h"
#include "support/RequireEnvironment.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace std::chrono_literals;

namespace {

class TextField {
public:
    TextField() {
        process_.setProcessEnvironment(SwaySession::clientEnvironment());
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_text_field_child"));
    }
    ~TextField() {
        process_.kill();
        process_.waitForFinished(2000);
    }
    // Calls `arrived` whenever the field prints something.
    void onOutput(const std::function<void()>& arrived) {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, arrived);
    }
    bool has(const QByteArray& line) {
        output_ += process_.readAllStandardOutput();
        return output_.split('\n').contains(line);
    }
    QByteArray output() const { return output_; }

private:
    QProcess process_;
    QByteArray output_;
};

// "quillo --hotkey-press" or "--hotkey-release" in its own process, as a sway binding runs it.
bool runHotkeyCommand(const QString& runtimeDir, const char* option) {
    QProcess quillo;
    QProcessEnvironment environment = SwaySession::clientEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    quillo.setProcessEnvironment(environment);
    quillo.start(QStringLiteral(QUILLO_BINARY_DIR "/src/quillo"), {QString::fromLatin1(option)});
    return quillo.waitForFinished(5000) && quillo.exitCode() == 0;
}

class WaylandDictationEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasSway() && RequireEnvironment::hasSoundServer(),
                            "the headless sway and sound server of scripts/with-test-env.sh "
                            "scripts/with-sway.sh");
        store.setBoolean("onboarding_completed", true);
        store.setBoolean("launch_at_login_set", true);
        settings.setPlaySoundOnComplete(false);
        ASSERT_TRUE(pasteboard.isAvailable());
        ASSERT_TRUE(keystrokes.isAvailable());
        ASSERT_TRUE(instance.listen());
        QObject::connect(&instance, &SingleInstance::hotkeyPressRequested, &hotkeys,
                         &CommandHotkeyBackend::press);
        QObject::connect(&instance, &SingleInstance::hotkeyReleaseRequested, &hotkeys,
                         &CommandHotkeyBackend::release);
    }

    // Holds the hotkey for a second of test tone through the two commands.
    void dictate() {
        MicPipeFeeder speech(MicPipeFeeder::pipePath(), 440.0, 0.5);
        ASSERT_TRUE(speech.isOpen());
        ASSERT_TRUE(runHotkeyCommand(runtime.path(), "--hotkey-press"));
        ASSERT_TRUE(waitUntil([&] { return recorder.isRecording(); }, 3s));
        runEventLoopFor(1s);
        figures.markRelease();
        ASSERT_TRUE(runHotkeyCommand(runtime.path(), "--hotkey-release"));
    }

    LoopbackHttpServer backend;
    InMemoryDefaultsStore store;
    AppSettings settings{store};
    LogCapture log;
    QtScheduler scheduler;
    QNetworkAccessManager network;
    WaylandConnection connection{SwaySession::socket()};
    DataControlPasteboard pasteboard{connection};
    VirtualKeyboardKeystrokeSender keystrokes{connection};
    VirtualKeyboardAccessibilityTrust accessibility{keystrokes};
    CommandHotkeyBackend hotkeys{scheduler};
    X11ModifierEventSource modifiers;
    AudioRecorder recorder{std::make_shared<QtAudioInput>()};
    XdotoolScriptKeystroke script;
    ClipboardManager clipboard{pasteboard, keystrokes, script, accessibility, scheduler};
    FakeDictationOverlay overlay;
    QtSoundPlayer sounds;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity identity{QStringLiteral("0123456789abcdef0123456789abcdef")};
    FakeCancelKeyGrab cancelKey;
    FakeSpeechDetector speech;  // the microphone plays a tone, not speech
    QTemporaryDir runtime;
    SingleInstance instance{runtime.filePath(QStringLiteral("quillo.socket"))};
    DictationFigures figures;

    std::unique_ptr<DictationCoordinator> makeCoordinator() {
        return std::make_unique<DictationCoordinator>(DictationCoordinator::Dependencies{
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
            DictationCoordinator::RemoteServices{
                HttpTransport(&network), {}, {}, backend.baseURL()},
            {},
            cancelKey,
            speech});
    }
};

}  // namespace

// The whole road on sway: the hotkey handed over by "quillo --hotkey-press/--hotkey-release",
// the virtual microphone, the backend's text pasted through the virtual keyboard into a native
// Wayland text field of another process, and the previous clipboard back with all its formats.
TEST_F(WaylandDictationEndToEnd, TheBackendsTextArrivesInTheFieldAndTheClipboardComesBack) {
    MicPipeLock microphone(MicPipeFeeder::pipePath());
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"hello from sway","words":3})"));
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"Hello from sway."})"));

    auto coordinator = makeCoordinator();
    coordinator->start();
    ASSERT_TRUE(
        log.contains("[HotkeyManager] Carbon hotkey registered (keyCode=49, modifiers=2048)"));
    TextField field;
    ASSERT_TRUE(waitUntil([&] { return field.has("focused"); }, 10s));
    PreviousWaylandClipboard previous{SwaySession::clientEnvironment()};
    ASSERT_TRUE(previous.isOwning());

    field.onOutput([&] {
        if (!backend.requests().isEmpty())
            figures.markText();
    });
    dictate();
    ASSERT_TRUE(waitUntil([&] { return field.has("text Hello from sway. "); }, 10s))
        << field.output().toStdString();
    figures.print("sway", backend);
    ASSERT_EQ(backend.requests().size(), 2);

    EXPECT_TRUE(log.contains("[ClipboardManager] Text pasted successfully"));
    EXPECT_TRUE(waitUntil([&] { return previous.isBack(); }, 5s));
    EXPECT_EQ(backend.requests()[1].path, "/api/format");
}

TEST_F(WaylandDictationEndToEnd, AServerErrorPastesNothingAndLeavesTheClipboardAlone) {
    MicPipeLock microphone(MicPipeFeeder::pipePath());
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    backend.enqueue(ScriptedResponse::text(500, "Quota of the day used"));

    auto coordinator = makeCoordinator();
    coordinator->start();
    TextField field;
    ASSERT_TRUE(waitUntil([&] { return field.has("focused"); }, 10s));
    PreviousWaylandClipboard previous{SwaySession::clientEnvironment()};
    ASSERT_TRUE(previous.isOwning());

    dictate();
    ASSERT_TRUE(
        waitUntil([&] { return overlay.calls.filter(QStringLiteral("error ")).size() == 1; }, 10s));
    runEventLoopFor(1s);
    EXPECT_FALSE(field.output().contains("text ")) << field.output().toStdString();
    EXPECT_TRUE(previous.isBack());
}
