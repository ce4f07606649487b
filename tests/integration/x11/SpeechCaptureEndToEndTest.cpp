#include "base/QtScheduler.h"
#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/audio/QtAudioInput.h"
#include "platform/x11/X11AccessibilityTrust.h"
#include "platform/x11/X11CancelKeyGrab.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "services/audio/AudioRecorder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "support/CountingAudioInput.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeDictationOverlay.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeTextPaster.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"
#include "support/MicPipePlayer.h"
#include "support/SpeechSamples.h"
#include "support/WavData.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <QGuiApplication>
#include <QNetworkAccessManager>

#include <gtest/gtest.h>

#include <iostream>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xSpace = 65;
constexpr quint8 xLeftAlt = 64;

}  // namespace

// A real hold of Alt+Space on the X server while the sound server's microphone plays a known
// utterance that starts at the key-down and ends at the release: the uploaded WAV holds it
// from its first sound to its last.
TEST(SpeechCaptureEndToEnd, AnUtteranceFromKeyDownToReleaseIsSentWhole) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows() && RequireEnvironment::hasSoundServer(),
                        "the X display and sound server of scripts/with-test-env.sh");
    const std::vector<qint16> utterance = SpeechSamples::utterance();
    ASSERT_FALSE(utterance.empty());
    MicPipeLock microphone(MicPipeFeeder::pipePath());
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    MicPipePlayer player(MicPipeFeeder::pipePath());
    ASSERT_TRUE(player.isOpen());

    LoopbackHttpServer backend;
    backend.enqueue(ScriptedResponse::json(200, R"({"text":"testing one two three","words":4})"));
    InMemoryDefaultsStore store;
    store.setBoolean("onboarding_completed", true);
    store.setBoolean("launch_at_login_set", true);
    AppSettings settings(store);
    settings.setSelectedMode(DictationMode::raw);
    LogCapture log;
    QtScheduler scheduler;
    QNetworkAccessManager network;
    X11GlobalHotkeyBackend hotkeys;
    X11ModifierEventSource modifiers;
    X11AccessibilityTrust accessibility;
    X11CancelKeyGrab cancelKey;
    auto input = std::make_shared<CountingAudioInput>(std::make_shared<QtAudioInput>());
    AudioRecorder recorder(input);
    FakeTextPaster paster;
    FakeDictationOverlay overlay;
    FakeSoundPlayer sounds;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity identity(QStringLiteral("0123456789abcdef0123456789abcdef"));
    WebRtcSpeechDetector speech;
    DictationCoordinator coordinator(DictationCoordinator::Dependencies{
        settings,
        recorder,
        paster,
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
    runEventLoopFor(300ms);  // the sound server's source is running with silence

    X11TestClient keyboard;
    keyboard.press(xLeftAlt);
    keyboard.press(xSpace);
    // The utterance starts once the key-down has opened the microphone, and the keys are
    // released once the sound server has delivered all of it: the test follows the audio, not
    // the wall clock, which a loaded machine stretches.
    ASSERT_TRUE(waitUntil([&] { return recorder.isCapturing(); }, 3000ms));
    const double heardBefore = input->heardMs();
    player.play(utterance);
    ASSERT_TRUE(waitUntil([&] { return recorder.isRecording(); }, 3000ms));
    const double utteranceMs = static_cast<double>(utterance.size()) / 16.0;
    ASSERT_TRUE(waitUntil(
        [&] { return player.isIdle() && input->heardMs() - heardBefore >= utteranceMs + 50; },
        10000ms));
    keyboard.release(xSpace);
    keyboard.release(xLeftAlt);
    ASSERT_TRUE(waitUntil([&] { return !paster.pasted.isEmpty(); }, 10000ms))
        << log.lines().join('\n').toStdString();

    const std::vector<qint16> sent = WavData::parse(backend.requests().value(0).body).samples;
    const SpeechSamples::Alignment where = SpeechSamples::align(sent, utterance);
    const long lostAtStart = std::max(0L, -where.offset);
    const long lostAtEnd = std::max(
        0L, where.offset + static_cast<long>(utterance.size()) - static_cast<long>(sent.size()));
    std::cout << "[ measure  ] lost at the start " << lostAtStart / 16 << " ms, at the end "
              << lostAtEnd / 16 << " ms, match " << where.score << std::endl;
    EXPECT_GT(where.score, 0.9) << "the utterance is in the upload";
    // The microphone was open before the first sound and heard the last before the release:
    // only the speech trimmer's margin may cost a little at the start.
    EXPECT_LE(lostAtStart, 16 * 60) << "from its first sound (within 60 ms)";
    EXPECT_LE(lostAtEnd, 16 * 10) << "to its last";
    EXPECT_EQ(paster.pasted, QStringList{"testing one two three "});
}
