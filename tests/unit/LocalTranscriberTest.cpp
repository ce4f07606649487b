#include "services/local/LocalTranscriber.h"

#include "models/AppSettings.h"
#include "platform/SpeechEngineError.h"
#include "services/audio/WavEncoder.h"
#include "support/FakeSpeechEngine.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/ManualScheduler.h"
#include "support/ScopedDataHome.h"

#include <QTemporaryDir>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct Outcome {
    QString text;
    std::optional<SpeechEngineError::Kind> error;
};

// Catches inside the task: waitFor() must not see an exception (QCoro 0.8).
QCoro::Task<Outcome> transcribeCaught(LocalTranscriber& service, QByteArray wav,
                                      std::optional<QString> language) {
    Outcome outcome;
    try {
        outcome.text = co_await service.transcribe(wav, language);
    } catch (const SpeechEngineError& e) {
        outcome.error = e.kind();
    }
    co_return outcome;
}

QByteArray secondOfSilence() {
    return WavEncoder::createWAVData(QByteArray(32000, 0), 16000, 1, 16);
}

class LocalTranscriptionServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dataHome.isValid());
        settings.setLocalTranscription(true);
    }
    Outcome transcribe(QByteArray wav = secondOfSilence(),
                       std::optional<QString> language = std::nullopt) {
        return QCoro::waitFor(transcribeCaught(service, std::move(wav), std::move(language)));
    }

    ScopedDataHome dataHome;
    InMemoryDefaultsStore store;
    AppSettings settings{store};
    FakeSpeechEngine engine;
    ManualScheduler scheduler;
    LocalTranscriber service{engine, scheduler, settings};
};

TEST_F(LocalTranscriptionServiceTest, ModelNamesLiveInTheDataFolderAndPathsStayAsGiven) {
    EXPECT_EQ(LocalTranscriber::modelPath("base.en"),
              dataHome.path() + "/quillo/models/ggml-base.en.bin");
    EXPECT_EQ(LocalTranscriber::modelPath("/opt/models/my.bin"), "/opt/models/my.bin");
    EXPECT_EQ(settings.localModel(), "base.en");
}

TEST_F(LocalTranscriptionServiceTest, PrepareLoadsTheChosenModelOnlyWhenLocalTranscriptionIsOn) {
    settings.setLocalTranscription(false);
    service.prepare();
    EXPECT_TRUE(engine.loads.isEmpty());

    settings.setLocalTranscription(true);
    settings.setLocalModel("tiny.en");
    service.prepare();
    EXPECT_EQ(engine.loads, QStringList{LocalTranscriber::modelPath("tiny.en")});
}

TEST_F(LocalTranscriptionServiceTest, ModelIsFreedThirtySecondsAfterTheLastUse) {
    service.prepare();
    scheduler.advance(20s);
    EXPECT_EQ(transcribe().text, "hello from this computer");
    scheduler.advance(29s);  // counted from the end of the dictation, not from the key-down
    EXPECT_EQ(engine.unloadCount, 0);
    service.prepare();  // the next key-down keeps it again
    scheduler.advance(29s);
    EXPECT_EQ(engine.unloadCount, 0);
    scheduler.advance(1s);
    EXPECT_EQ(engine.unloadCount, 1);
    EXPECT_TRUE(engine.loadedModel().isEmpty());
}

// A hold longer than the idle time used to free the model in the middle of the recording and
// load it again after the release.
TEST_F(LocalTranscriptionServiceTest, ModelStaysLoadedThroughALongRecording) {
    service.prepare();
    service.setRecording(true);
    scheduler.advance(5min);
    EXPECT_EQ(engine.unloadCount, 0);
    service.setRecording(false);
    EXPECT_EQ(transcribe().text, "hello from this computer");
    EXPECT_EQ(engine.loads.size(), 2) << "loaded once more only to be sure, never freed";
    EXPECT_EQ(engine.unloadCount, 0);
    scheduler.advance(29s);
    EXPECT_EQ(engine.unloadCount, 0);
    scheduler.advance(1s);
    EXPECT_EQ(engine.unloadCount, 1);
}

TEST_F(LocalTranscriptionServiceTest, ARecordingEndedWithoutATranscriptionStillFreesTheModel) {
    service.prepare();
    service.setRecording(true);
    scheduler.advance(40s);
    service.setRecording(false);  // cancelled, or no speech
    scheduler.advance(30s);
    EXPECT_EQ(engine.unloadCount, 1);
}

TEST_F(LocalTranscriptionServiceTest, PassesLanguageVocabularyAndSamples) {
    store.setString("vocabulary", R"(["Quillo", "  ", " Kubernetes"])");
    ASSERT_TRUE(transcribe(secondOfSilence(), QString("de")).error == std::nullopt);
    ASSERT_EQ(engine.requests.size(), 1u);
    EXPECT_EQ(engine.requests[0].language, "de");
    EXPECT_EQ(engine.requests[0].initialPrompt, "Quillo, Kubernetes");
    EXPECT_EQ(engine.requests[0].samples.size(), 16000u);
    EXPECT_FALSE(engine.requests[0].matchAudioContext);

    settings.setLocalTranscriptionFast(true);
    transcribe();  // no language: the engine detects it
    EXPECT_EQ(engine.requests[1].language, "auto");
    EXPECT_TRUE(engine.requests[1].matchAudioContext) << "faster, may be less accurate";
}

// The same words as the remote routes get: a list that does not decode gives no prompt.
TEST_F(LocalTranscriptionServiceTest, MalformedVocabularyGivesNoPrompt) {
    store.setString("vocabulary", "not json");
    transcribe();
    store.setString("vocabulary", R"(["a", 7])");
    transcribe();
    store.setData("vocabulary", R"(["a"])");
    transcribe();
    ASSERT_EQ(engine.requests.size(), 3u);
    EXPECT_EQ(engine.requests[0].initialPrompt, "");
    EXPECT_EQ(engine.requests[1].initialPrompt, "");
    EXPECT_EQ(engine.requests[2].initialPrompt, "a");
}

TEST_F(LocalTranscriptionServiceTest, AudioThatIsNotTheRecordersWavIsRefusedBeforeTheEngine) {
    EXPECT_EQ(transcribe("RIFF----WAVEjunk").error, SpeechEngineError::Kind::invalidAudio);
    EXPECT_EQ(transcribe("").error, SpeechEngineError::Kind::invalidAudio);
    EXPECT_TRUE(engine.requests.empty());
}

TEST_F(LocalTranscriptionServiceTest, AMissingModelIsReportedAndStillUnloadsLater) {
    engine.loadError = std::make_exception_ptr(
        SpeechEngineError(SpeechEngineError::Kind::modelMissing, "/nowhere"));
    EXPECT_EQ(transcribe().error, SpeechEngineError::Kind::modelMissing);
    EXPECT_TRUE(engine.requests.empty());
    scheduler.advance(30s);
    EXPECT_EQ(engine.unloadCount, 1);
}

}  // namespace
