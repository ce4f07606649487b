#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/LoginItemService.h"
#include "services/audio/WavEncoder.h"
#include "services/hotkey/HotkeyManager.h"
#include "services/hotkey/HotkeyUtils.h"
#include "services/local/LocalTranscriber.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeCancelKeyGrab.h"
#include "support/FakeCompositorStatus.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeDictationRecorder.h"
#include "support/FakeFnKeySetting.h"
#include "support/FakeGlobalHotkeyBackend.h"
#include "support/FakeModifierEventSource.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeSpeechDetector.h"
#include "support/FakeSpeechEngine.h"
#include "support/FakeTextPaster.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualScheduler.h"
#include "views/overlay/LiveTextLabel.h"
#include "views/overlay/OverlayPanel.h"
#include "views/overlay/OverlayWindowController.h"
#include "views/overlay/SpinnerView.h"
#include "views/overlay/WaveformView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>

#include <cmath>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using S = RecordingStateValue;

// With "live_preview" on, the overlay shows the words of the stretches transcribed so far under
// the waveform while the user speaks; only on this computer's engine, and only while recording.
namespace {

class NoLoginItems final : public LoginItemService {
public:
    bool registerItem(QString*) override { return true; }
    bool unregisterItem(QString*) override { return true; }
    Status status() const override { return Status::enabled; }
};

class LivePreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        HotkeyUtils::installFnKeySetting(&fnSetting);
        store.setBoolean("onboarding_completed", true);
        store.setBoolean("launch_at_login_set", true);
        settings.setLocalTranscription(true);
        settings.setLocalModel("/models/ggml-test.bin");
        settings.setSelectedMode(DictationMode::raw);
        settings.setLivePreview(true);
        speech.speechFromLevels = true;
        recorder.audio = WavEncoder::createWAVData({}, 16000, 1, 16);
    }
    void TearDown() override {
        overlay.dismiss();
        HotkeyUtils::installFnKeySetting(nullptr);
    }

    DictationCoordinator& coordinator() {
        if (!coordinator_) {
            coordinator_ =
                std::make_unique<DictationCoordinator>(DictationCoordinator::Dependencies{
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
                    deviceIdentity,
                    DictationCoordinator::RemoteServices{HttpTransport(&network, 5000ms),
                                                         server.baseURL(), server.baseURL(),
                                                         server.baseURL()},
                    {},
                    cancelKey,
                    speech,
                    &local});
            coordinator_->start();
        }
        return *coordinator_;
    }

    void press() {
        coordinator();
        hotkeys.press(HotkeyManager::hotkeyId);
        scheduler.advance(300ms);
        ASSERT_TRUE(isRecording(coordinator().stateMachine().state()));
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
        while (deadline.elapsed() < 10000 && coordinator().stateMachine().state() != S::idle) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    QWidget* panel() const { return overlay.panel(); }
    OverlayPanel* pill() const { return static_cast<OverlayPanel*>(overlay.panel()); }
    bool showsLine() const { return panel() && pill()->showsLiveText(); }
    QString line() const { return pill()->liveText()->text(); }

    InMemoryDefaultsStore store;
    AppSettings settings{store};
    FakeDictationRecorder recorder;
    FakeTextPaster paster;
    ManualScheduler scheduler;
    FakeCompositorStatus compositor;
    OverlayWindowController overlay{scheduler, compositor};
    FakeSoundPlayer sounds;
    FakeAccessibilityTrust trust;
    FakeGlobalHotkeyBackend hotkeys;
    FakeModifierEventSource modifiers;
    FakeFnKeySetting fnSetting;
    NoLoginItems loginItems;
    FakeDeviceIdentity deviceIdentity;
    QNetworkAccessManager network;
    LoopbackHttpServer server;
    FakeSpeechEngine engine;
    FakeCancelKeyGrab cancelKey;
    FakeSpeechDetector speech;
    LocalTranscriber local{engine, scheduler, settings};
    std::unique_ptr<DictationCoordinator> coordinator_;
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
