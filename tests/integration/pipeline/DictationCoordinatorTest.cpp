#include "integration/pipeline/PipelineTest.h"

#include "services/audio/AudioRecorder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "services/hotkey/ModifierHotkeyManager.h"
#include "support/FakeAudioInput.h"
#include "support/FakeCompositorStatus.h"
#include "support/FakeWindowFocus.h"
#include "support/SpeechSamples.h"
#include "support/WavData.h"
#include "views/overlay/ErrorOverlayView.h"
#include "views/overlay/OverlayPanel.h"
#include "views/overlay/OverlayWindowController.h"
#include "views/overlay/SpinnerView.h"
#include "views/overlay/WaveformView.h"

#include <QCoreApplication>

#include <functional>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using S = RecordingStateValue;

namespace {

const HotkeyId quil = HotkeyManager::hotkeyId;
const quint64 option = ModifierHotkeyManager::optionFlag;

class DictationCoordinatorTest : public PipelineTest {
protected:
    // A first dictation held and sent, whose transcript ("first") the server holds back for
    // `late`: the run is processing.
    void startAFirstDictationAnsweredLate(std::chrono::milliseconds late) {
        holdAFirstDictationAnsweredLate(
            late, [this] { hotkeys.press(quil); }, [this] { hotkeys.release(quil); });
    }
    // The same held on Right Option alone, a modifier-only hotkey, which drives the state
    // machine through other code.
    void startAFirstModifierDictationAnsweredLate(std::chrono::milliseconds late) {
        settings.setHotkeyKeyCode(61);
        settings.setHotkeyModifiers(0);
        holdAFirstDictationAnsweredLate(
            late, [this] { modifiers.send(61, option); }, [this] { modifiers.send(61, 0); });
    }

private:
    void holdAFirstDictationAnsweredLate(std::chrono::milliseconds late,
                                         const std::function<void()>& press,
                                         const std::function<void()>& release) {
        ScriptedResponse slow = ScriptedResponse::json(200, R"({"text":"first","words":1})");
        slow.delay = late;
        server.enqueue(slow);
        coordinator();
        press();
        scheduler.advance(300ms);
        release();
        scheduler.runDue();
        waitUntil([this] { return server.requests().size() == 1; }, 10s);
    }
};

}  // namespace

TEST_F(DictationCoordinatorTest, HoldGestureOnTheBackendRoutePastesTheFormattedText) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"hello world um","words":3})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Hello world."})"));
    holdGesture();

    EXPECT_EQ(pipelineLines(), QStringList({
                                   "[Quillo] Audio data size: 3244 bytes",
                                   "[Quillo] Sending to backend for transcription...",
                                   "[Quillo] Transcription: \"hello world um\" (3 words)",
                                   "[Quillo] Formatting via backend (mode: email)...",
                                   "[Quillo] Formatted: \"Hello world.\"",
                                   "[Quillo] Pasting text (Accessibility: true)...",
                               }));
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[0].path, "/api/transcribe");
    EXPECT_EQ(server.requests()[1].path, "/api/format");
    EXPECT_TRUE(server.requests()[1].body.contains(R"("mode":"email")"));
    EXPECT_EQ(paster.pasted, QStringList{"Hello world. "});
    EXPECT_EQ(sounds.played, QStringList({"Pop", "Purr"}));
    EXPECT_EQ(overlay.calls,
              QStringList({"show holdRecording +levels", "show processing", "dismiss"}));
    EXPECT_EQ(state(), S::idle);

    const auto history = settings.recentDictations();
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history[0].text, "Hello world.");
    EXPECT_EQ(history[0].wordCount, 2);
    EXPECT_EQ(history[0].mode, "email");
}

TEST_F(DictationCoordinatorTest, RawModeSkipsFormattingOnBothRoutes) {
    settings.setSelectedMode(DictationMode::raw);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"just this","words":2})"));
    holdGesture();
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(paster.pasted, QStringList{"just this "});
    EXPECT_TRUE(log.contains("[Quillo] Raw mode, skipping LLM"));
    EXPECT_EQ(settings.recentDictations().value(0).mode, "raw");

    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-test");
    server.enqueue(ScriptedResponse::json(200, R"({"text":"direct words\n"})"));
    holdGesture();
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[1].path, "/v1/audio/transcriptions");
    EXPECT_EQ(paster.pasted.last(), "direct words\n") << "a line feed at the end gets no space";
    EXPECT_TRUE(log.contains("[Quillo] Sending to Whisper API (direct)..."));
    EXPECT_TRUE(log.contains("[Quillo] Whisper result: \"direct words\n\""));
}

TEST_F(DictationCoordinatorTest, DirectRouteFormatsWithTheChosenProviderAndLanguage) {
    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-openai");
    settings.setAnthropicAPIKey("sk-anthropic");
    settings.setLlmProvider("anthropic");
    settings.setWhisperLanguage("de");
    server.enqueue(ScriptedResponse::json(200, R"({"text":"hallo welt"})"));
    server.enqueue(
        ScriptedResponse::json(200, R"({"content":[{"type":"text","text":"Hallo Welt.\n"}]})"));
    holdGesture();
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_TRUE(server.requests()[0].body.contains("name=\"language\"\r\n\r\nde\r\n"));
    EXPECT_EQ(server.requests()[1].header("x-api-key"), "sk-anthropic");
    EXPECT_TRUE(log.contains("[Quillo] Formatting with anthropic..."));
    EXPECT_EQ(paster.pasted, QStringList{"Hallo Welt. "}) << "the model's answer comes trimmed";

    settings.setWhisperLanguage("auto");
    settings.setLlmProvider("something else");
    server.enqueue(ScriptedResponse::json(200, R"({"text":"again"})"));
    server.enqueue(
        ScriptedResponse::json(200, R"({"choices":[{"message":{"content":"Again."}}]})"));
    holdGesture();
    ASSERT_EQ(server.requests().size(), 4);
    EXPECT_FALSE(server.requests()[2].body.contains("name=\"language\""))
        << "auto sends no language";
    EXPECT_EQ(server.requests()[3].header("Authorization"), "Bearer sk-openai")
        << "an unknown provider counts as openai";
}

TEST_F(DictationCoordinatorTest, ErrorsShowTheirMessageAndKeepTheOverlayForFourAndAHalfSeconds) {
    server.enqueue(ScriptedResponse::text(500, "Quota of the day used"));
    pendingAllowed = 1;  // the error's clearing timer
    holdGesture();
    EXPECT_TRUE(log.contains(R"([Quillo] API ERROR: serverError("Quota of the day used"))"));
    EXPECT_EQ(overlay.calls.last(), "error Quota of the day used")
        << "the overlay is not hidden at the end of the run";
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
    EXPECT_TRUE(coordinator().overlayShowingError());

    // A run that ends within 4.5 s of the error replaced the message with its own waveform
    // and spinner, and takes those down at its end.
    scheduler.advance(1000ms);
    overlay.calls.clear();
    server.enqueue(ScriptedResponse::json(200, R"({"text":"ok","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Ok.\n"})"));
    holdGesture();
    EXPECT_EQ(overlay.calls,
              QStringList({"show holdRecording +levels", "show processing", "dismiss"}));
    EXPECT_EQ(paster.pasted.last(), "Ok.\n")
        << "a formatter answer ending in a line feed gets no space";

    scheduler.advance(4000ms);
    EXPECT_FALSE(coordinator().overlayShowingError());
    pendingAllowed = 0;
    overlay.calls.clear();
    server.enqueue(ScriptedResponse::json(200, R"({"text":"later","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Later."})"));
    holdGesture();
    EXPECT_EQ(overlay.calls.last(), "dismiss");
}

TEST_F(DictationCoordinatorTest, BackendNetworkFailureAndDirectErrorsReachTheOverlay) {
    settings.setUseBackend(false);
    server.enqueue(ScriptedResponse::json(401, R"({"error":{"message":"bad key"}})"));
    pendingAllowed = 1;
    holdGesture();
    EXPECT_TRUE(log.lines().filter("[Quillo] ERROR: Whisper API error (401)").size() == 1);
    EXPECT_EQ(overlay.calls.last(), "error Invalid OpenAI Key");
    EXPECT_EQ(state(), S::idle);
}

TEST_F(DictationCoordinatorTest, OverlayAndSoundsFollowTheirSwitches) {
    settings.setShowOverlay(false);
    settings.setPlaySoundOnComplete(false);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"quiet","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Quiet."})"));
    holdGesture();
    EXPECT_TRUE(sounds.played.isEmpty());
    EXPECT_TRUE(overlay.calls.isEmpty()) << "no waveform, no spinner, nothing to hide";

    server.enqueue(ScriptedResponse::text(500, "down"));
    pendingAllowed = 1;
    holdGesture();
    EXPECT_EQ(overlay.calls.last(), "error down") << "errors are shown even with the overlay off";
}

TEST_F(DictationCoordinatorTest, NoAudioAnEmptyTranscriptAndAFailedStartEndQuietly) {
    coordinator();
    recorder.startFailure = QStringLiteral("No microphone available");
    hotkeys.press(quil);
    scheduler.advance(300ms);
    scheduler.runDue();
    EXPECT_TRUE(log.contains("Failed to start recording: No microphone available"));
    EXPECT_EQ(state(), S::idle);
    EXPECT_TRUE(sounds.played.isEmpty());
    EXPECT_TRUE(overlay.calls.isEmpty());
    hotkeys.release(quil);
    scheduler.advance(300ms);

    // Stopping when nothing records.
    coordinator().stateMachine().setState(S::processing);
    coordinator().stopAndProcess();
    finishRun();
    EXPECT_TRUE(log.contains("[Quillo] No audio data captured"));
    EXPECT_TRUE(overlay.calls.isEmpty()) << "the run showed nothing, so it hides nothing";
    EXPECT_EQ(state(), S::idle);

    recorder.startFailure.reset();
    server.enqueue(ScriptedResponse::json(200, R"({"text":"  \n ","words":0})"));
    holdGesture();
    EXPECT_TRUE(log.contains("[Quillo] Empty transcription"));
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(overlay.calls.last(), "dismiss");
}

// The first dictation's transcript comes late, so the second one is recorded, transcribed and
// ready before it: the texts must still land in the order they were spoken.
TEST_F(DictationCoordinatorTest, AHoldDuringProcessingRecordsASecondDictationPastedAfterTheFirst) {
    startAFirstDictationAnsweredLate(3000ms);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"second","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"First."})"));
    EXPECT_EQ(state(), S::processing);

    settings.setSelectedMode(DictationMode::raw);  // the second one skips the formatting
    hotkeys.press(quil);
    EXPECT_EQ(state(), S::pendingIntent);
    EXPECT_EQ(recorder.preRollCount, 2) << "the second hold keeps its pre-roll";
    scheduler.advance(300ms);
    EXPECT_EQ(state(), S::holdRecording);
    EXPECT_EQ(recorder.startCount, 2);
    hotkeys.release(quil);
    scheduler.runDue();
    waitUntil([this] { return log.contains("[Quillo] Transcription: \"second\" (1 words)"); }, 10s);
    EXPECT_TRUE(paster.pasted.isEmpty()) << "the second text waits for the first";
    EXPECT_EQ(state(), S::processing);

    finishRun();
    EXPECT_EQ(paster.pasted, (QStringList{"First. ", "second "}));
    const auto history = settings.recentDictations();
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(history[0].text, "second");
    EXPECT_EQ(history[1].text, "First.");
    EXPECT_EQ(server.requests().size(), 3);
    EXPECT_FALSE(log.contains("[Quillo] No audio data captured"));
    EXPECT_EQ(state(), S::idle);
}

// The user went on to another window while the first dictation was on its way: each text goes
// to the window its recording ended in, and the focus comes back to where the user is.
TEST_F(DictationCoordinatorTest, EachTextGoesToTheWindowItsRecordingEndedIn) {
    FakeWindowFocus windows;
    windows.focused = 1;
    parts.windowFocus = &windows;
    paster.windows = &windows;
    startAFirstDictationAnsweredLate(3000ms);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"second","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"First."})"));
    settings.setSelectedMode(DictationMode::raw);

    windows.focused = 2;
    hotkeys.press(quil);
    scheduler.advance(300ms);
    hotkeys.release(quil);
    scheduler.runDue();
    finishRun();

    EXPECT_EQ(paster.pasted, (QStringList{"First. ", "second "}));
    EXPECT_EQ(paster.pastedInto, (QList<std::optional<quint64>>{1, 2}));
    EXPECT_EQ(windows.focused, 2u);
    EXPECT_EQ(log.lines().count("[Quillo] Pasting into the window this dictation was spoken into"),
              1);
}

// A window closed before its text arrived: the text goes to the focused window, as where the
// desktop does not tell, and is in the history either way.
TEST_F(DictationCoordinatorTest, ATextWhoseWindowIsGoneGoesToTheFocusedOne) {
    FakeWindowFocus windows;
    windows.focused = 1;
    parts.windowFocus = &windows;
    paster.windows = &windows;
    startAFirstDictationAnsweredLate(500ms);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"First."})"));
    windows.gone = {1};
    windows.focused = 2;
    finishRun();

    EXPECT_EQ(paster.pastedInto, (QList<std::optional<quint64>>{2}));
    EXPECT_TRUE(
        log.contains("[Quillo] The window this dictation was spoken into is gone; "
                     "pasting into the focused window"));
    EXPECT_EQ(settings.recentDictations().value(0).text, "First.");
}

// The same on the modifier-only hotkey.
TEST_F(DictationCoordinatorTest, AModifierHoldDuringProcessingRecordsASecondDictation) {
    settings.setSelectedMode(DictationMode::raw);
    startAFirstModifierDictationAnsweredLate(300ms);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"second","words":1})"));

    modifiers.send(61, option);
    scheduler.advance(300ms);
    EXPECT_EQ(state(), S::holdRecording);
    modifiers.send(61, 0);
    scheduler.runDue();
    finishRun();
    EXPECT_EQ(paster.pasted, (QStringList{"first ", "second "}));
    EXPECT_EQ(settings.recentDictations().size(), 2);
    EXPECT_FALSE(log.contains("[Quillo] No audio data captured"));
}

TEST_F(DictationCoordinatorTest, EscapeDuringASecondHoldCancelsOnlyThatRecording) {
    startAFirstDictationAnsweredLate(300ms);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"First."})"));

    hotkeys.press(quil);
    scheduler.advance(300ms);
    ASSERT_EQ(state(), S::holdRecording);
    EXPECT_TRUE(cancelKey.press());
    EXPECT_TRUE(log.contains("[Quillo] Recording cancelled"));
    EXPECT_EQ(state(), S::processing) << "the first dictation is still on its way";
    hotkeys.release(quil);
    scheduler.runDue();

    finishRun();
    EXPECT_EQ(paster.pasted, QStringList{"First. "});
    EXPECT_EQ(settings.recentDictations().size(), 1);
    EXPECT_EQ(server.requests().size(), 2);
    EXPECT_EQ(state(), S::idle);
}

// A tap made while a dictation is processed records nothing and leaves that dictation be.
TEST_F(DictationCoordinatorTest, ATapDuringProcessingReturnsToProcessing) {
    startAFirstDictationAnsweredLate(300ms);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"First."})"));

    hotkeys.press(quil);
    hotkeys.release(quil);
    scheduler.advance(300ms);
    EXPECT_EQ(state(), S::processing);
    EXPECT_FALSE(recorder.open) << "the tap's pre-roll is closed again";
    finishRun();
    EXPECT_EQ(paster.pasted, QStringList{"First. "});
    EXPECT_EQ(state(), S::idle);
}

TEST_F(DictationCoordinatorTest, StartLogsAMissingMicrophonePermission) {
    recorder.permission = false;
    coordinator();
    EXPECT_TRUE(log.contains("[Quillo] Microphone permission not granted"));
}

TEST_F(DictationCoordinatorTest, ARunKeepsTheModeItStartedWithAndLogsTheTranscriptVerbatim) {
    ScriptedResponse slow = ScriptedResponse::json(200, R"({"text":"up 5%1 today","words":3})");
    slow.delay = 200ms;
    server.enqueue(slow);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Up 5%1 today."})"));
    coordinator();
    hotkeys.press(quil);
    scheduler.advance(300ms);
    scheduler.runDue();
    hotkeys.release(quil);
    scheduler.runDue();
    settings.setSelectedMode(DictationMode::chat);  // chosen in the menu while the run waits
    finishRun();

    EXPECT_TRUE(log.contains("[Quillo] Transcription: \"up 5%1 today\" (3 words)"));
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_TRUE(server.requests()[1].body.contains(R"("mode":"email")"));
    EXPECT_EQ(settings.recentDictations().value(0).mode, "email");
}

TEST_F(DictationCoordinatorTest, DirectRouteEmptyTranscriptEndsQuietly) {
    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-test");
    server.enqueue(ScriptedResponse::json(200, R"({"text":" \n\t"})"));
    holdGesture();
    EXPECT_EQ(pipelineLines(), QStringList({
                                   "[Quillo] Audio data size: 3244 bytes",
                                   "[Quillo] Sending to Whisper API (direct)...",
                                   "[Quillo] Whisper result: \" \n\t\"",
                                   "[Quillo] Whisper returned empty text",
                               }));
    EXPECT_EQ(server.requests().size(), 1) << "nothing to format";
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
    EXPECT_EQ(overlay.calls.last(), "dismiss");
    EXPECT_FALSE(coordinator().overlayShowingError()) << "an empty transcript is no error";
    EXPECT_EQ(state(), S::idle);
}

TEST_F(DictationCoordinatorTest, DirectRouteLogsTheFormattingProviderAndTheModelsAnswer) {
    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-test");
    server.enqueue(ScriptedResponse::json(200, R"({"text":"see you at noon"})"));
    server.enqueue(
        ScriptedResponse::json(200, R"({"choices":[{"message":{"content":"See you at noon."}}]})"));
    holdGesture();
    EXPECT_EQ(pipelineLines(), QStringList({
                                   "[Quillo] Audio data size: 3244 bytes",
                                   "[Quillo] Sending to Whisper API (direct)...",
                                   "[Quillo] Whisper result: \"see you at noon\"",
                                   "[Quillo] Formatting with openai...",
                                   "[Quillo] LLM result: \"See you at noon.\"",
                                   "[Quillo] Pasting text (Accessibility: true)...",
                               }));
    EXPECT_EQ(paster.pasted, QStringList{"See you at noon. "});
}

TEST_F(DictationCoordinatorTest, AFormattingFailureAfterATranscriptPastesNothing) {
    // Direct route: the model refuses; the transcript is not pasted in its place.
    settings.setUseBackend(false);
    settings.setOpenAIAPIKey("sk-test");
    server.enqueue(ScriptedResponse::json(200, R"({"text":"meet me later"})"));
    server.enqueue(ScriptedResponse::json(400, R"({"error":{"message":"Bad Request"}})"));
    pendingAllowed = 1;
    holdGesture();
    EXPECT_TRUE(log.contains("[Quillo] Formatting with openai..."));
    EXPECT_TRUE(log.lines().filter("[Quillo] LLM result").isEmpty());
    EXPECT_EQ(log.lines().filter("[Quillo] ERROR: ").size(), 1);
    EXPECT_EQ(overlay.calls.last(), "error API Error");
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
    EXPECT_EQ(state(), S::idle);

    // Backend route: the formatting endpoint fails after a good transcription.
    settings.setUseBackend(true);
    pendingAllowed = 2;  // both errors' clearing timers
    server.enqueue(ScriptedResponse::json(200, R"({"text":"meet me later","words":3})"));
    server.enqueue(ScriptedResponse::text(502, "formatter down"));
    holdGesture();
    EXPECT_TRUE(log.contains(R"([Quillo] API ERROR: serverError("formatter down"))"));
    EXPECT_EQ(overlay.calls.last(), "error formatter down");
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
}

TEST_F(DictationCoordinatorTest, ABackendTransportFailureShowsANetworkError) {
    ScriptedResponse dropped = ScriptedResponse::json(200, R"({"text":"lost","words":1})");
    dropped.ending = ScriptedResponse::Ending::dropMidBody;
    server.enqueue(dropped);
    pendingAllowed = 1;
    holdGesture();
    // Not an APIError: the transport's own error reaches the pipeline unchanged.
    EXPECT_TRUE(log.lines().filter("[Quillo] API ERROR").isEmpty());
    EXPECT_EQ(log.lines().filter("[Quillo] ERROR: ").size(), 1);
    EXPECT_EQ(overlay.calls.last(), "error Network error");
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
    EXPECT_EQ(state(), S::idle);
}

namespace {

// The same pipeline with the real overlay window, to see what the user sees.
class DictationWithRealOverlayTest : public DictationCoordinatorTest {
protected:
    DictationWithRealOverlayTest() { parts.overlay = &realOverlay; }

    bool panelVisible() const { return realOverlay.panel() && realOverlay.panel()->isVisible(); }
    OverlayPanel* panel() const { return static_cast<OverlayPanel*>(realOverlay.panel()); }
    bool showing(QWidget* content) const { return panelVisible() && content->isVisibleTo(panel()); }

    void waitForPaste(int count) {
        waitUntil([&] { return paster.pasted.size() >= count; }, 10s);
    }

    FakeCompositorStatus compositor;
    OverlayWindowController realOverlay{scheduler, compositor};
};

}  // namespace

TEST_F(DictationWithRealOverlayTest, ARunEndingSoonAfterAnErrorStillHidesItsSpinner) {
    server.enqueue(ScriptedResponse::text(500, "Server busy"));
    pendingAllowed = 2;  // the error's clearing timer and the overlay's own dismissal
    holdGesture();
    ASSERT_TRUE(showing(panel()->errorView())) << "a failed run leaves its error up";

    // One second later a dictation succeeds: its show() replaced the error with the waveform
    // and then the spinner, and the end of the run must take that down.
    scheduler.advance(1000ms);
    pendingAllowed = 1;
    server.enqueue(ScriptedResponse::json(200, R"({"text":"fine","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Fine."})"));
    holdGesture();
    EXPECT_EQ(paster.pasted, QStringList{"Fine. "});
    EXPECT_TRUE(coordinator().overlayShowingError()) << "still within 4.5 s of the error";
    EXPECT_FALSE(panelVisible()) << "no spinner left on screen";

    // Likewise for an empty transcript within the error's time.
    server.enqueue(ScriptedResponse::text(500, "Server busy"));
    pendingAllowed = 3;  // both errors' clearing timers and the new error's dismissal
    holdGesture();
    scheduler.advance(500ms);
    pendingAllowed = 2;
    server.enqueue(ScriptedResponse::json(200, R"({"text":" ","words":0})"));
    holdGesture();
    EXPECT_TRUE(log.contains("[Quillo] Empty transcription"));
    EXPECT_FALSE(panelVisible());
}

TEST_F(DictationWithRealOverlayTest, AnErrorOnScreenOutlivesTheEndOfAnotherRun) {
    // A run that fails while an earlier error shows keeps its own error up for 4 s.
    server.enqueue(ScriptedResponse::text(500, "first"));
    pendingAllowed = 2;
    holdGesture();
    scheduler.advance(1000ms);
    server.enqueue(ScriptedResponse::text(500, "second"));
    pendingAllowed = 3;
    holdGesture();
    EXPECT_TRUE(showing(panel()->errorView()));
    scheduler.advance(3900ms);
    EXPECT_TRUE(showing(panel()->errorView()));
    scheduler.advance(100ms);
    EXPECT_FALSE(panelVisible()) << "the overlay takes its error down after 4 s";
}

TEST_F(DictationWithRealOverlayTest, TheFirstRunsEndLeavesANewerRecordingsWaveform) {
    startAFirstModifierDictationAnsweredLate(1500ms);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"First."})"));
    ASSERT_TRUE(showing(panel()->spinner()));

    // A tap during processing records nothing and shows nothing: the first run's spinner stays.
    modifiers.send(61, option);
    modifiers.send(61, 0);
    scheduler.advance(300ms);
    ASSERT_EQ(state(), S::processing);
    EXPECT_TRUE(showing(panel()->spinner()));

    // The user starts a new recording while the first run still waits for the server.
    modifiers.send(61, option);
    scheduler.advance(300ms);
    ASSERT_EQ(state(), S::holdRecording);
    ASSERT_TRUE(showing(panel()->waveform()));

    waitForPaste(1);
    ASSERT_EQ(paster.pasted, QStringList{"First. "});
    QCoreApplication::processEvents();
    EXPECT_TRUE(showing(panel()->waveform())) << "the newer recording keeps its waveform";
    EXPECT_EQ(state(), S::holdRecording);

    server.enqueue(ScriptedResponse::json(200, R"({"text":"second","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Second."})"));
    modifiers.send(61, 0);
    scheduler.runDue();
    finishRun();
    waitForPaste(2);
    EXPECT_EQ(paster.pasted.last(), "Second. ");
    EXPECT_FALSE(panelVisible()) << "the second recording's run takes its own spinner down";
}

namespace {

// The pipeline with the real recorder on an input the test feeds: every sample carries its
// own number (halved, so four seconds fit in 16 bits), so the test can tell which were kept.
class DictationCaptureTest : public DictationCoordinatorTest {
protected:
    DictationCaptureTest() {
        parts.recorder = &realRecorder;
        settings.setSelectedMode(DictationMode::raw);
    }

    static qint16 stampOf(qint64 sample) { return static_cast<qint16>(sample / 2); }

    // Plays `duration` of stamped audio in 10 ms buffers while the clock moves on.
    void speak(std::chrono::milliseconds duration) {
        for (auto elapsed = 0ms; elapsed < duration; elapsed += 10ms) {
            std::vector<float> buffer(160);
            for (float& sample : buffer) {
                sample = static_cast<float>(stampOf(fed++)) / 32768.0f;
            }
            if (!input->deliver(buffer)) {
                fed -= 160;  // nobody listened: the microphone was closed
            }
            scheduler.advance(10ms);
        }
    }
    // Plays the given samples the same way (no stamps).
    void play(const std::vector<qint16>& samples) {
        for (std::size_t first = 0; first < samples.size(); first += 160) {
            std::vector<float> buffer(160, 0.0f);
            for (std::size_t i = 0; i < 160 && first + i < samples.size(); ++i) {
                buffer[i] = static_cast<float>(samples[first + i]) / 32768.0f;
            }
            input->deliver(buffer);
            scheduler.advance(10ms);
        }
    }

    void pressHotkey() {
        hotkeys.press(quil);
        scheduler.runDue();
    }
    void releaseHotkey() {
        hotkeys.release(quil);
        scheduler.runDue();
    }

    std::shared_ptr<FakeAudioInput> input =
        std::make_shared<FakeAudioInput>(AudioInput::Format{16000, 1});
    AudioRecorder realRecorder{input};
    WebRtcSpeechDetector realSpeech;
    qint64 fed = 0;
};

}  // namespace

TEST_F(DictationCaptureTest, AHoldKeepsTheAudioFromItsKeyDownUpToItsRelease) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"kept","words":1})"));
    coordinator();
    speak(200ms);
    EXPECT_EQ(fed, 0) << "the microphone is closed outside a gesture";

    pressHotkey();
    EXPECT_TRUE(input->isCapturing()) << "opened at the key-down";
    EXPECT_FALSE(realRecorder.isRecording());
    speak(300ms);
    ASSERT_EQ(state(), S::holdRecording);
    ASSERT_TRUE(realRecorder.isRecording());
    EXPECT_EQ(sounds.played, QStringList{"Pop"}) << "the sound keeps its moment";
    EXPECT_EQ(overlay.calls, QStringList{"show holdRecording +levels"});
    speak(500ms);
    releaseHotkey();
    finishRun();

    const std::vector<qint16>& kept = speech.shown;
    ASSERT_EQ(kept.size(), 12800u) << "800 ms from key-down to release";
    EXPECT_EQ(kept.front(), stampOf(0)) << "from the key-down sample";
    EXPECT_EQ(kept.back(), stampOf(12799)) << "up to the last sample before the release";
    EXPECT_FALSE(input->isCapturing());
    EXPECT_EQ(paster.pasted, QStringList{"kept "});
}

TEST_F(DictationCaptureTest, ADoublePressKeepsTheAudioFromItsSecondKeyDown) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"kept","words":1})"));
    coordinator();
    pressHotkey();
    speak(100ms);
    releaseHotkey();
    speak(100ms);
    EXPECT_TRUE(input->isCapturing()) << "kept open within the double-press window";
    pressHotkey();
    ASSERT_EQ(state(), S::handsfreeRecording);
    speak(500ms);
    releaseHotkey();
    speak(500ms);
    pressHotkey();
    finishRun();

    ASSERT_EQ(speech.shown.size(), 16000u) << "one second from the second key-down";
    EXPECT_EQ(speech.shown.front(), stampOf(3200));
    EXPECT_EQ(speech.shown.back(), stampOf(3200 + 16000 - 1));
    EXPECT_EQ(paster.pasted, QStringList{"kept "});
}

TEST_F(DictationCaptureTest, ATapKeepsNothingAndClosesTheMicrophone) {
    coordinator();
    pressHotkey();
    speak(100ms);
    releaseHotkey();
    speak(290ms);
    EXPECT_TRUE(input->isCapturing());
    speak(10ms);
    EXPECT_EQ(state(), S::idle);
    EXPECT_FALSE(input->isCapturing()) << "closed once the double-press window passed";
    EXPECT_FALSE(realRecorder.isRecording());
    EXPECT_TRUE(speech.shown.empty());
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(pipelineLines().isEmpty());
    EXPECT_TRUE(sounds.played.isEmpty());
    EXPECT_TRUE(overlay.calls.isEmpty());
}

TEST_F(DictationCaptureTest, EscapeCancelsAHoldAndAHandsFreeRecording) {
    coordinator();
    EXPECT_FALSE(cancelKey.isGrabbed()) << "Escape reaches the applications while idle";
    pressHotkey();
    speak(100ms);
    EXPECT_FALSE(cancelKey.isGrabbed()) << "nor before the recording is confirmed";
    speak(300ms);
    ASSERT_TRUE(cancelKey.isGrabbed());
    ASSERT_TRUE(cancelKey.press());
    EXPECT_EQ(pipelineLines(), QStringList{"[Quillo] Recording cancelled"});
    EXPECT_EQ(state(), S::idle);
    EXPECT_FALSE(input->isCapturing()) << "the audio is dropped";
    EXPECT_EQ(overlay.calls, QStringList({"show holdRecording +levels", "dismiss"}));
    EXPECT_FALSE(cancelKey.isGrabbed());
    releaseHotkey();  // the key still held comes up: nothing more happens
    scheduler.advance(1000ms);
    EXPECT_EQ(state(), S::idle);

    // Hands-free.
    pressHotkey();
    releaseHotkey();
    speak(100ms);
    pressHotkey();
    releaseHotkey();
    speak(600ms);
    ASSERT_EQ(state(), S::handsfreeRecording);
    ASSERT_TRUE(cancelKey.press());
    EXPECT_EQ(log.lines().filter("[Quillo] Recording cancelled").size(), 2);
    EXPECT_EQ(state(), S::idle);
    EXPECT_FALSE(input->isCapturing());
    finishRun();
    EXPECT_TRUE(server.requests().isEmpty()) << "nothing is sent";
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
    EXPECT_EQ(sounds.played, QStringList({"Pop", "Pop"})) << "no stop sound";
}

TEST_F(DictationCaptureTest, EscapeDuringProcessingDropsTheResultBeforeThePaste) {
    ScriptedResponse slow = ScriptedResponse::json(200, R"({"text":"never mind","words":2})");
    slow.delay = 300ms;
    server.enqueue(slow);
    coordinator();
    pressHotkey();
    speak(500ms);
    releaseHotkey();
    scheduler.runDue();
    ASSERT_EQ(state(), S::processing);
    ASSERT_TRUE(cancelKey.isGrabbed()) << "still a dictation under way";
    ASSERT_TRUE(cancelKey.press());
    EXPECT_TRUE(log.contains("[Quillo] Recording cancelled"));
    EXPECT_EQ(state(), S::idle) << "the user is free to dictate again";
    EXPECT_EQ(overlay.calls.last(), "dismiss") << "the spinner goes at once";

    // The transcript still arrives, and goes nowhere: not even to formatting.
    waitUntil([this] { return log.contains("[Quillo] Transcription: \"never mind\" (2 words)"); });
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
    EXPECT_FALSE(log.contains("[Quillo] Pasting text (Accessibility: true)..."));
    EXPECT_EQ(overlay.calls.last(), "dismiss") << "no error, nothing shown again";
    EXPECT_FALSE(cancelKey.isGrabbed());
}

TEST_F(DictationCaptureTest, SilenceAndNoiseAreNotSent) {
    parts.speech = &realSpeech;
    coordinator();
    pressHotkey();
    play(SpeechSamples::silence(1.0));
    releaseHotkey();
    finishRun();
    EXPECT_TRUE(log.contains("[Quillo] No speech detected"));
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(overlay.calls, QStringList({"show holdRecording +levels", "dismiss"}));
    EXPECT_EQ(state(), S::idle);

    pressHotkey();
    play(SpeechSamples::noise(1.5, -40.0));
    releaseHotkey();
    finishRun();
    EXPECT_EQ(log.lines().filter("[Quillo] No speech detected").size(), 2);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_TRUE(paster.pasted.isEmpty());
    EXPECT_TRUE(settings.recentDictations().isEmpty());
}

TEST_F(DictationCaptureTest, SpeechAfterASecondOfSilenceIsSentFromAtMostThreeTenthsBefore) {
    parts.speech = &realSpeech;
    settings.setSelectedMode(DictationMode::raw);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"testing","words":1})"));
    const std::vector<qint16> utterance = SpeechSamples::utterance();
    coordinator();
    pressHotkey();
    play(SpeechSamples::concat(
        {SpeechSamples::silence(1.0), utterance, SpeechSamples::silence(1.0)}));
    releaseHotkey();
    finishRun();
    const std::vector<qint16> sent = WavData::parse(server.requests().value(0).body).samples;
    const SpeechSamples::Alignment where = SpeechSamples::align(sent, utterance);
    EXPECT_GT(where.score, 0.99);
    EXPECT_GE(where.offset, 0);
    EXPECT_LE(where.offset, 16000 * 3 / 10);
    EXPECT_GE(static_cast<long>(sent.size()), where.offset + static_cast<long>(utterance.size()))
        << "the end of the utterance is sent";
    EXPECT_LE(static_cast<long>(sent.size()),
              where.offset + static_cast<long>(utterance.size()) + 16000 * 3 / 10 + 16000 / 50);
    EXPECT_EQ(paster.pasted, QStringList{"testing "});
}

// A lost release must not record for ever: at the longest length the recording stops, its
// text is delivered, and the overlay says why.
TEST_F(DictationCoordinatorTest, ARecordingStopsAtItsLongestLengthAndIsDelivered) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"long talk","words":2})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"Long talk."})"));
    coordinator();
    hotkeys.press(quil);
    scheduler.advance(300ms);
    ASSERT_TRUE(recorder.recording);
    scheduler.advance(DictationCoordinator::longestRecording - 1ms);
    EXPECT_TRUE(recorder.recording) << "nothing real is cut short";

    scheduler.advance(1ms);
    EXPECT_FALSE(recorder.recording);
    EXPECT_EQ(state(), S::processing);
    EXPECT_TRUE(log.contains("[Quillo] Recording reached 10 minutes, stopping"));
    EXPECT_EQ(overlay.calls.last(), "error " + qtTrId("overlay.recording_limit"));
    finishRun();
    EXPECT_EQ(paster.pasted, QStringList{"Long talk. "});

    hotkeys.release(quil);  // the release, if it ever comes, starts nothing
    scheduler.runDue();
    EXPECT_EQ(state(), S::idle);
    EXPECT_EQ(recorder.stopCount, 1);
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(DictationCoordinatorTest, AHandsFreeRecordingStopsAtItsLongestLengthToo) {
    settings.setSelectedMode(DictationMode::raw);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"long talk","words":2})"));
    coordinator();
    hotkeys.press(quil);
    hotkeys.release(quil);
    hotkeys.press(quil);
    hotkeys.release(quil);
    scheduler.runDue();
    ASSERT_EQ(state(), S::handsfreeRecording);
    scheduler.advance(DictationCoordinator::longestRecording);
    EXPECT_FALSE(recorder.recording);
    finishRun();
    EXPECT_EQ(paster.pasted, QStringList{"long talk "});
}

// The limit counts one recording, not the time since the first: a recording stopped by hand
// leaves no timer behind to cut the next one.
TEST_F(DictationCoordinatorTest, TheLongestLengthCountsFromEachRecordingsStart) {
    settings.setSelectedMode(DictationMode::raw);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"one","words":1})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"two","words":1})"));
    holdGesture();
    scheduler.advance(5min);
    hotkeys.press(quil);
    scheduler.advance(300ms);
    scheduler.advance(DictationCoordinator::longestRecording - 5min);
    EXPECT_TRUE(recorder.recording);
    hotkeys.release(quil);
    scheduler.runDue();
    finishRun();
    EXPECT_EQ(paster.pasted, (QStringList{"one ", "two "}));
    EXPECT_FALSE(log.contains("[Quillo] Recording reached 10 minutes, stopping"));
}
