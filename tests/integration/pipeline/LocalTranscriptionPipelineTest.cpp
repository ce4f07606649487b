#include "integration/pipeline/PipelineTest.h"

#include "platform/SpeechEngineError.h"
#include "services/audio/WavEncoder.h"
#include "services/local/LocalTranscriber.h"
#include "support/FakeSpeechEngine.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using S = RecordingStateValue;

namespace {

// With "local_transcription" on, the transcript comes from this computer whatever "use_backend"
// says; formatting still follows "use_backend".
class LocalTranscriptionPipelineTest : public PipelineTest {
protected:
    void SetUp() override {
        PipelineTest::SetUp();
        settings.setLocalTranscription(true);
        settings.setLocalModel("/models/ggml-test.bin");
        recorder.audio = WavEncoder::createWAVData(QByteArray(3200, 0), 16000, 1, 16);
        parts.local = &local;
        // The engine's unload waits on the clock after every run: a run is over once idle.
        pendingAllowed = std::numeric_limits<std::size_t>::max();
    }

    // A hold past the threshold whose audio the test then speaks: its stretches go to the engine
    // at the pauses, found by their level.
    void startALongHold() {
        speech.speechFromLevels = true;
        recorder.audio = WavEncoder::createWAVData({}, 16000, 1, 16);
        coordinator();
        hotkeys.press(HotkeyManager::hotkeyId);
        scheduler.advance(300ms);
    }
    // Appends `ms` of a voice (a loud tone) or, at amplitude 0, of silence to the recording.
    void speak(int ms, qint16 amplitude = 8000) {
        for (int i = 0; i < ms * 16; ++i) {
            const auto value = static_cast<qint16>(amplitude * std::sin(i * 0.12));
            recorder.audio.append(reinterpret_cast<const char*>(&value), 2);
        }
    }

    FakeSpeechEngine engine;
    LocalTranscriber local{engine, scheduler, settings};
};

TEST_F(LocalTranscriptionPipelineTest, BackendRouteFormatsTheLocalTranscriptAndSendsNoAudio) {
    engine.transcript = "hello world um";
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Hello world."})"));
    holdGesture();

    EXPECT_EQ(pipelineLines(),
              QStringList({
                  "[Quillo] Audio data size: 3244 bytes",
                  "[Quillo] Transcribing locally (model: /models/ggml-test.bin)...",
                  "[Quillo] Transcription: \"hello world um\" (3 words)",
                  "[Quillo] Formatting via backend (mode: email)...",
                  "[Quillo] Formatted: \"Hello world.\"",
                  "[Quillo] Pasting text (Accessibility: true)...",
              }));
    ASSERT_EQ(server.requests().size(), 1) << "only the formatting request leaves the machine";
    EXPECT_EQ(server.requests()[0].path, "/api/format");
    EXPECT_EQ(paster.pasted, QStringList{"Hello world. "});
    EXPECT_EQ(engine.loads.value(0), "/models/ggml-test.bin") << "loaded at the gesture's start";
}

TEST_F(LocalTranscriptionPipelineTest, DirectRouteFormatsWithTheProviderAndRawModePastesAsIs) {
    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-test");
    settings.setWhisperLanguage("de");
    server.enqueue(
        ScriptedResponse::json(200, R"({"choices":[{"message":{"content":"Hallo."}}]})"));
    engine.transcript = "hallo";
    holdGesture();
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].path, "/v1/chat/completions");
    EXPECT_EQ(engine.requests.at(0).language, "de");
    EXPECT_EQ(paster.pasted, QStringList{"Hallo. "});

    settings.setSelectedMode(DictationMode::raw);
    engine.transcript = "just this";
    holdGesture();
    EXPECT_EQ(server.requests().size(), 1) << "raw mode formats nothing";
    EXPECT_EQ(paster.pasted.last(), "just this ");
    EXPECT_TRUE(log.contains("[Quillo] Raw mode, skipping LLM"));
}

TEST_F(LocalTranscriptionPipelineTest, EmptyTranscriptEndsQuietly) {
    engine.transcript = "  ";
    holdGesture();
    EXPECT_TRUE(log.contains("[Quillo] Whisper returned empty text"));
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(overlay.calls.last(), "dismiss");
}

TEST_F(LocalTranscriptionPipelineTest, MissingModelSaysSoOnTheOverlayAndPastesNothing) {
    engine.loadError = std::make_exception_ptr(
        SpeechEngineError(SpeechEngineError::Kind::modelMissing, "/models/ggml-test.bin"));
    holdGesture();
    EXPECT_TRUE(log.contains("[Quillo] ERROR: Speech model not found: /models/ggml-test.bin"));
    EXPECT_EQ(overlay.calls.last(), "error Speech model not installed");
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
}

TEST_F(LocalTranscriptionPipelineTest, AbortedTranscriptionShowsNoError) {
    engine.transcribeError =
        std::make_exception_ptr(SpeechEngineError(SpeechEngineError::Kind::aborted, {}));
    holdGesture();
    EXPECT_TRUE(log.contains("[Quillo] Transcription cancelled"));
    EXPECT_EQ(overlay.calls.last(), "dismiss");
    EXPECT_TRUE(paster.pasted.isEmpty());
}

TEST_F(LocalTranscriptionPipelineTest, OffMeansTheRemoteRouteAsBefore) {
    settings.setLocalTranscription(false);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"remote","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Remote."})"));
    holdGesture();
    EXPECT_TRUE(engine.loads.isEmpty());
    EXPECT_TRUE(engine.requests.empty());
    EXPECT_EQ(server.requests().value(0).path, "/api/transcribe");
}

// A long dictation on this computer: its stretches are transcribed while the user speaks, and
// the release leaves only the rest; the log, the paste and the history are those of one text.
TEST_F(LocalTranscriptionPipelineTest, ALongHoldIsTranscribedInStretchesAndDeliveredAsOneText) {
    settings.setSelectedMode(DictationMode::raw);
    engine.transcripts = {"First sentence.", "Second one."};
    startALongHold();
    ASSERT_EQ(recorder.startCount, 1);
    speak(300, 0);
    speak(1500);
    speak(400, 0);
    scheduler.advance(2200ms);
    EXPECT_EQ(engine.requests.size(), 1u) << "the first stretch went while the user spoke";
    speak(1000);
    scheduler.advance(1000ms);
    hotkeys.release(HotkeyManager::hotkeyId);
    scheduler.runDue();
    finishRun();

    EXPECT_EQ(pipelineLines(),
              QStringList({
                  QStringLiteral("[Quillo] Audio data size: %1 bytes").arg(recorder.audio.size()),
                  "[Quillo] Transcribing locally (model: /models/ggml-test.bin)...",
                  "[Quillo] Transcription: \"First sentence. Second one.\" (4 words)",
                  "[Quillo] Raw mode, skipping LLM",
                  "[Quillo] Pasting text (Accessibility: true)...",
              }));
    EXPECT_EQ(engine.requests.size(), 2u);
    EXPECT_EQ(engine.requests[1].initialPrompt, "First sentence.");
    EXPECT_EQ(paster.pasted, QStringList{"First sentence. Second one. "});
    EXPECT_EQ(settings.recentDictations().size(), 1);
}

TEST_F(LocalTranscriptionPipelineTest, EscapeDuringALongHoldStopsItsStretchesAndPastesNothing) {
    engine.holdAnswers = true;
    startALongHold();
    speak(1500);
    speak(400, 0);
    speak(1500);
    speak(400, 0);
    scheduler.advance(3800ms);
    ASSERT_EQ(engine.requests.size(), 1u);

    EXPECT_TRUE(cancelKey.press());
    EXPECT_TRUE(log.contains("[Quillo] Recording cancelled"));
    EXPECT_EQ(engine.abortCount, 1);
    engine.answerNext();
    runEventLoopFor(100ms);
    hotkeys.release(HotkeyManager::hotkeyId);
    scheduler.advance(1s);
    EXPECT_EQ(engine.requests.size(), 1u) << "the queued stretch never reached the engine";
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_EQ(state(), S::idle);
}

}  // namespace
