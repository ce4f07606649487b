#include "integration/pipeline/PipelineTest.h"
#include "services/audio/WavEncoder.h"
#include "services/local/LocalTranscriber.h"
#include "support/FakeCompositorStatus.h"
#include "support/FakeSpeechEngine.h"
#include "views/overlay/LiveTextLabel.h"
#include "views/overlay/OverlayPanel.h"
#include "views/overlay/OverlayWindowController.h"
#include "views/overlay/SpinnerView.h"
#include "views/overlay/WaveformView.h"

#include <cmath>

using namespace std::chrono_literals;
using S = RecordingStateValue;

// With "live_preview" on, the overlay shows the words of the stretches transcribed so far under
// the waveform while the user speaks; only on this computer's engine, and only while recording.
namespace {

// The real overlay and this computer's engine (a fake one) in place of the rig's fakes.
class LivePreviewTest : public PipelineTest {
protected:
    void SetUp() override {
        PipelineTest::SetUp();
        parts.overlay = &overlayWindow;
        parts.local = &local;
        settings.setLocalTranscription(true);
        settings.setLocalModel("/models/ggml-test.bin");
        settings.setSelectedMode(DictationMode::raw);
        settings.setLivePreview(true);
        speech.speechFromLevels = true;
        recorder.audio = WavEncoder::createWAVData({}, 16000, 1, 16);
    }
    void TearDown() override {
        overlayWindow.dismiss();
        PipelineTest::TearDown();
    }

    void press() {
        coordinator();
        hotkeys.press(HotkeyManager::hotkeyId);
        scheduler.advance(300ms);
        ASSERT_TRUE(isRecording(state()));
    }

    // `ms` of a voice (a loud tone) or, at amplitude 0, of silence, as time passes.
    void speak(int ms, qint16 amplitude = 8000) {
        for (int i = 0; i < ms * 16; ++i) {
            const auto value = static_cast<qint16>(amplitude * std::sin(i * 0.12));
            recorder.audio.append(reinterpret_cast<const char*>(&value), 2);
        }
        scheduler.advance(std::chrono::milliseconds(ms));
        letTheEngineAnswer();
    }
    void pause(int ms) { speak(ms, 0); }

    void letTheEngineAnswer() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    void releaseAndFinish() {
        hotkeys.release(HotkeyManager::hotkeyId);
        scheduler.runDue();
        QElapsedTimer deadline;
        deadline.start();
        while (deadline.elapsed() < 10000 && state() != S::idle) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    QWidget* panel() const { return overlayWindow.panel(); }
    OverlayPanel* pill() const { return static_cast<OverlayPanel*>(overlayWindow.panel()); }
    bool showsLine() const { return panel() && pill()->showsLiveText(); }
    QString line() const { return pill()->liveText()->text(); }

    FakeCompositorStatus compositor;
    OverlayWindowController overlayWindow{scheduler, compositor};
    FakeSpeechEngine engine;
    LocalTranscriber local{engine, scheduler, settings};
};

TEST_F(LivePreviewTest, EachStretchsWordsShowUnderTheWaveformUntilTheRelease) {
    engine.transcripts = {"First sentence.", "Second one.", "And the rest."};
    press();
    pause(300);
    speak(1500);
    EXPECT_FALSE(showsLine()) << "nothing is shown before a stretch has its words";
    EXPECT_EQ(panel()->size(), OverlayWindowController::defaultSize);
    pause(400);
    ASSERT_EQ(engine.requests.size(), 1u);
    ASSERT_TRUE(showsLine());
    EXPECT_EQ(line(), "First sentence.");
    EXPECT_TRUE(pill()->waveform()->isVisible()) << "the waveform stays above the words";
    EXPECT_EQ(panel()->size(),
              QSize(OverlayWindowController::liveTextWidth, pill()->heightWithLiveText()));

    speak(1200);
    pause(400);
    ASSERT_EQ(engine.requests.size(), 2u);
    EXPECT_EQ(line(), "First sentence. Second one.");

    speak(800);
    releaseAndFinish();
    EXPECT_EQ(paster.pasted, QStringList{"First sentence. Second one. And the rest. "});
    EXPECT_FALSE(panel()->isVisible());

    // The next recording starts with the waveform alone.
    engine.transcripts = {"Next."};
    press();
    EXPECT_FALSE(showsLine());
    EXPECT_EQ(panel()->size(), OverlayWindowController::defaultSize);
}

TEST_F(LivePreviewTest, TheLineGoesWithTheReleaseAndTheRestIsNotShownUnderTheSpinner) {
    engine.transcripts = {"Dear Anna,", "see you soon."};
    engine.holdAnswers = true;
    press();
    speak(1500);
    pause(400);
    ASSERT_TRUE(engine.answerNext());
    letTheEngineAnswer();
    ASSERT_EQ(line(), "Dear Anna,");

    speak(1000);
    hotkeys.release(HotkeyManager::hotkeyId);
    scheduler.runDue();
    EXPECT_TRUE(pill()->spinner()->isVisible());
    EXPECT_FALSE(showsLine()) << "the release takes the words away";
    EXPECT_EQ(panel()->size(), OverlayWindowController::defaultSize);
    ASSERT_TRUE(engine.answerNext());  // the rest, transcribed after the release
    letTheEngineAnswer();
    EXPECT_FALSE(showsLine());
    EXPECT_EQ(paster.pasted, QStringList{"Dear Anna, see you soon. "});
}

TEST_F(LivePreviewTest, EscapeTakesTheLineAwayWithTheRecording) {
    engine.transcripts = {"Never mind."};
    press();
    speak(1500);
    pause(400);
    ASSERT_TRUE(showsLine());
    EXPECT_TRUE(cancelKey.press());
    EXPECT_FALSE(panel()->isVisible());
    hotkeys.release(HotkeyManager::hotkeyId);
    scheduler.advance(1s);

    press();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_FALSE(showsLine());
    EXPECT_TRUE(paster.pasted.isEmpty());
}

// Off, and on any route but this computer's engine, the overlay is the waveform alone.
TEST_F(LivePreviewTest, OffOrOnARemoteRouteTheOverlayStaysAsItWas) {
    settings.setLivePreview(false);
    engine.transcripts = {"Not shown."};
    press();
    speak(1500);
    pause(400);
    ASSERT_EQ(engine.requests.size(), 1u) << "the stretch was transcribed";
    EXPECT_FALSE(showsLine());
    EXPECT_EQ(panel()->size(), OverlayWindowController::defaultSize);
    releaseAndFinish();

    settings.setLivePreview(true);
    settings.setLocalTranscription(false);
    server.enqueue(ScriptedResponse::json(200, R"({"text":"remote","words":1})"));
    press();
    speak(1500);
    pause(400);
    speak(1500);
    EXPECT_EQ(engine.requests.size(), 1u) << "no stretch goes to this computer's engine";
    EXPECT_FALSE(showsLine());
    EXPECT_EQ(panel()->size(), OverlayWindowController::defaultSize);
    releaseAndFinish();
    EXPECT_EQ(paster.pasted.last(), "remote ");
}

}  // namespace
