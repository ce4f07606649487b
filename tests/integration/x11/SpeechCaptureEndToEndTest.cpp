#include "dictation/DictationCoordinator.h"
#include "platform/audio/QtAudioInput.h"
#include "platform/x11/X11AccessibilityTrust.h"
#include "platform/x11/X11CancelKeyGrab.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "support/CountingAudioInput.h"
#include "support/EndToEndRig.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipePlayer.h"
#include "support/RequireEnvironment.h"
#include "support/SpeechSamples.h"
#include "support/WavData.h"
#include "support/X11TestClient.h"

#include <gtest/gtest.h>

#include <iostream>

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
    auto input = std::make_shared<CountingAudioInput>(std::make_shared<QtAudioInput>());
    EndToEndRig rig(input);
    rig.takeMicrophone();
    MicPipePlayer player(MicPipeFeeder::pipePath());
    ASSERT_TRUE(player.isOpen());

    rig.server.enqueue(
        ScriptedResponse::json(200, R"({"text":"testing one two three","words":4})"));
    rig.settings.setSelectedMode(DictationMode::raw);
    X11GlobalHotkeyBackend hotkeys;
    X11ModifierEventSource modifiers;
    X11AccessibilityTrust accessibility;
    X11CancelKeyGrab cancelKey;
    WebRtcSpeechDetector speech;
    rig.parts.trust = &accessibility;
    rig.parts.hotkeys = &hotkeys;
    rig.parts.modifiers = &modifiers;
    rig.parts.cancelKey = &cancelKey;
    rig.parts.speech = &speech;
    const auto coordinator = rig.startCoordinator();
    runEventLoopFor(300ms);  // the sound server's source is running with silence

    X11TestClient keyboard;
    keyboard.press(xLeftAlt);
    keyboard.press(xSpace);
    // The utterance starts once the key-down has opened the microphone, and the keys are
    // released once the sound server has delivered all of it: the test follows the audio, not
    // the wall clock, which a loaded machine stretches.
    ASSERT_TRUE(waitUntil([&] { return rig.audioRecorder.isCapturing(); }, 3000ms));
    const double heardBefore = input->heardMs();
    player.play(utterance);
    ASSERT_TRUE(waitUntil([&] { return rig.audioRecorder.isRecording(); }, 3000ms));
    const double utteranceMs = static_cast<double>(utterance.size()) / 16.0;
    ASSERT_TRUE(waitUntil(
        [&] { return player.isIdle() && input->heardMs() - heardBefore >= utteranceMs + 50; },
        10000ms));
    keyboard.release(xSpace);
    keyboard.release(xLeftAlt);
    ASSERT_TRUE(waitUntil([&] { return !rig.paster.pasted.isEmpty(); }, 10000ms))
        << rig.log.lines().join('\n').toStdString();

    const std::vector<qint16> sent = WavData::parse(rig.server.requests().value(0).body).samples;
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
    EXPECT_EQ(rig.paster.pasted, QStringList{"testing one two three "});
}
