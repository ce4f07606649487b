#include "services/local/LiveTranscription.h"

#include "models/AppSettings.h"
#include "services/audio/StretchCutter.h"
#include "services/audio/WavEncoder.h"
#include "services/local/LocalTranscriber.h"
#include "support/FakeDictationRecorder.h"
#include "support/FakeSpeechDetector.h"
#include "support/FakeSpeechEngine.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/ManualScheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtEndian>

#include <qcoro/qcorotask.h>

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr qsizetype samplesPerMs = 16;

struct Outcome {
    std::optional<QString> text;
    bool failed = false;
};

// QCoro 0.8 hangs when a waited-for task throws: the outcome is caught here.
QCoro::Task<Outcome> finishCaught(LiveTranscription& live, QByteArray pcm) {
    Outcome outcome;
    try {
        outcome.text = co_await live.finish(std::move(pcm));
    } catch (...) {
        outcome.failed = true;
    }
    co_return outcome;
}

class LiveTranscriptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.setLocalTranscription(true);
        settings.setLocalModel("/models/ggml-test.bin");
        detector.speechFromLevels = true;
        recorder.audio = WavEncoder::createWAVData({}, 16000, 1, 16);
        recorder.startRecording();
        // The stretch logic is shown on short speech; the shortest stretch has its own tests.
        if (shortestStretch)
            live.setShortestStretch(*shortestStretch);
        live.start();
    }

    // Appends `ms` of a voice (a loud tone) or of silence, and lets that much time pass.
    void speak(int ms, qint16 amplitude = 8000) {
        for (qsizetype i = 0; i < ms * samplesPerMs; ++i) {
            const auto value = static_cast<qint16>(amplitude * std::sin(i * 0.12));
            char bytes[2];
            qToLittleEndian(value, bytes);
            recorder.audio.append(bytes, 2);
        }
        scheduler.advance(std::chrono::milliseconds(ms));
    }
    void pause(int ms) { speak(ms, 0); }

    QByteArray recording() const { return recorder.audio.mid(44); }

    // Releases the recording: the whole text, answering held transcriptions in turn.
    Outcome release() {
        recorder.recording = false;
        auto task = finishCaught(live, recording());
        QElapsedTimer deadline;
        deadline.start();
        while (!task.isReady() && deadline.elapsed() < 5000) {
            engine.answerNext();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return task.isReady() ? QCoro::waitFor(std::move(task)) : Outcome{};
    }

    void answerOne() {
        ASSERT_TRUE(engine.answerNext());
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    qsizetype sentSamples(std::size_t request) const {
        return static_cast<qsizetype>(engine.requests.at(request).samples.size());
    }

    std::optional<std::chrono::milliseconds> shortestStretch = 0ms;  // none: the default
    InMemoryDefaultsStore store;
    AppSettings settings{store};
    FakeDictationRecorder recorder;
    FakeSpeechDetector detector;
    FakeSpeechEngine engine;
    ManualScheduler scheduler;
    LocalTranscriber transcriber{engine, scheduler, settings};
    LiveTranscription live{{recorder, detector, transcriber, scheduler}, QStringLiteral("en")};
};

class LiveTranscriptionWithShortestStretchTest : public LiveTranscriptionTest {
protected:
    LiveTranscriptionWithShortestStretchTest() { shortestStretch.reset(); }
};

}  // namespace

// A dictation under ten seconds costs one engine call at the release, as it would without
// stretches: a stretch sent just before the release would make the rest wait for it.
TEST_F(LiveTranscriptionWithShortestStretchTest,
       NoPauseCutsBeforeTenSecondsAndTheFirstPauseAfterThemDoes) {
    engine.transcripts = {"first", "second"};
    pause(300);
    for (int sentence = 0; sentence < 3; ++sentence) {  // pauses from 2.8, 5.7 and 8.6 s
        speak(2500);
        pause(400);
    }
    EXPECT_TRUE(engine.requests.empty()) << "no pause cut a stretch under ten seconds";
    speak(2500);
    pause(400);  // from 11.5 s
    speak(2000);
    ASSERT_EQ(live.cuts().size(), 1);
    EXPECT_EQ(live.cuts()[0], (300 + 3 * 2900 + 2500 + 100) * samplesPerMs);
    EXPECT_EQ(release().text, "first second");
    EXPECT_EQ(engine.requests.size(), 2u) << "the rest goes in one call at the release";
}

TEST_F(LiveTranscriptionTest, StretchesEndAtPausesAndCarryTheTextBeforeThemAsPrompt) {
    settings.setVocabulary({"Quillo"});
    engine.transcripts = {" Dear Anna,", " the Quillo build is green.", " Thanks."};
    pause(500);
    speak(1500);
    pause(300);
    ASSERT_EQ(engine.requests.size(), 1u) << "the first stretch went while the user spoke on";
    EXPECT_EQ(live.cuts(), (QList<qsizetype>{(2000 + 100) * samplesPerMs}));
    speak(2000);
    pause(300);
    ASSERT_EQ(engine.requests.size(), 2u);
    speak(700);
    pause(100);

    const Outcome outcome = release();
    EXPECT_EQ(outcome.text, "Dear Anna, the Quillo build is green. Thanks.");
    ASSERT_EQ(engine.requests.size(), 3u) << "only the rest was left for the release";
    EXPECT_EQ(engine.requests[0].initialPrompt, "Quillo");
    EXPECT_EQ(engine.requests[1].initialPrompt, "Quillo. Dear Anna,");
    EXPECT_EQ(engine.requests[2].initialPrompt, "Quillo. Dear Anna, the Quillo build is green.");
    for (const SpeechEngine::Request& request : engine.requests) {
        EXPECT_EQ(request.language, "en");
    }
    // Each stretch is its words with at most the trimmer's margin of silence around them.
    const qsizetype margin = 300 * samplesPerMs;
    EXPECT_LE(sentSamples(0), 1500 * samplesPerMs + 2 * margin);
    EXPECT_GE(sentSamples(0), 1500 * samplesPerMs);
    EXPECT_GE(sentSamples(1), 2000 * samplesPerMs);
    EXPECT_GE(sentSamples(2), 700 * samplesPerMs);
}

TEST_F(LiveTranscriptionTest, EverySampleOfSpeechGoesToTheEngineExactlyOnce) {
    pause(200);
    for (int i = 0; i < 6; ++i) {
        speak(900 + 100 * i);
        pause(250 + 50 * i);
    }
    speak(400);
    release();
    qsizetype loud = 0;
    for (const SpeechEngine::Request& request : engine.requests) {
        for (const float sample : request.samples) {
            loud += std::abs(sample) > 0.0f ? 1 : 0;
        }
    }
    qsizetype spoken = 0;
    const QByteArray pcm = recording();
    for (qsizetype i = 0; i + 1 < pcm.size(); i += 2) {
        spoken += qFromLittleEndian<qint16>(pcm.constData() + i) != 0 ? 1 : 0;
    }
    EXPECT_EQ(engine.requests.size(), 7u);
    EXPECT_EQ(loud, spoken);
}

TEST_F(LiveTranscriptionTest, ALongStretchWithoutAPauseIsCutBeforeTwentySeconds) {
    engine.transcripts = {"first part", "second part"};
    pause(2500);  // the noise floor is learnt from the pre-roll
    speak(12000);
    speak(80, 200);  // a quiet moment between two words
    speak(9000);
    EXPECT_EQ(engine.requests.size(), 1u);
    ASSERT_EQ(live.cuts().size(), 1);
    const qsizetype quiet = (2500 + 12000) * samplesPerMs;
    EXPECT_GE(live.cuts()[0], quiet);
    EXPECT_LE(live.cuts()[0], quiet + 80 * samplesPerMs);
    EXPECT_EQ(release().text, "first part second part");
}

// The stretches that waited behind a slow engine go as one request: the backlog shrinks
// instead of costing a whole encoder window per stretch.
TEST_F(LiveTranscriptionTest, ASlowEngineStillBusyAtTheReleaseLosesNothingAndRepeatsNothing) {
    engine.holdAnswers = true;
    engine.transcripts = {"one", "two three"};
    pause(300);
    speak(1000);
    pause(300);
    speak(1000);
    pause(300);
    EXPECT_EQ(engine.requests.size(), 1u) << "stretches wait for the one before them";
    EXPECT_EQ(live.cuts().size(), 2);
    speak(600);

    const Outcome outcome = release();
    EXPECT_EQ(outcome.text, "one two three");
    ASSERT_EQ(engine.requests.size(), 2u) << "the second stretch and the rest went together";
    EXPECT_EQ(engine.requests[1].initialPrompt, "one");
    EXPECT_GE(sentSamples(1), (1000 + 600) * samplesPerMs);
}

TEST_F(LiveTranscriptionTest, WaitingStretchesGoTogetherOnlyWithinWhispersWindow) {
    engine.holdAnswers = true;
    engine.transcripts = {"a", "b c", "d"};
    pause(300);
    for (int stretch = 0; stretch < 4; ++stretch) {
        speak(12000);
        pause(300);
    }
    const Outcome outcome = release();
    EXPECT_EQ(outcome.text, "a b c d");
    ASSERT_EQ(engine.requests.size(), 3u) << "12 s + 12 s fit one window, a third would not";
    for (std::size_t request = 0; request < engine.requests.size(); ++request) {
        EXPECT_LE(sentSamples(request),
                  LiveTranscription::mergedStretchLimitSeconds * 1000 * samplesPerMs);
    }
}

TEST_F(LiveTranscriptionTest, SilenceNeverReachesTheEngine) {
    pause(3000);
    EXPECT_TRUE(engine.requests.empty());
    const Outcome outcome = release();
    EXPECT_EQ(outcome.text, "");
    EXPECT_TRUE(engine.requests.empty());
}

TEST_F(LiveTranscriptionTest, ASilentRestAddsNothingAtTheRelease) {
    engine.transcripts = {"only this"};
    speak(1000);
    pause(1000);
    EXPECT_EQ(engine.requests.size(), 1u);
    EXPECT_EQ(release().text, "only this");
    EXPECT_EQ(engine.requests.size(), 1u);
}

TEST_F(LiveTranscriptionTest, CancellingStopsTheStretchInFlightAndDropsTheQueue) {
    engine.holdAnswers = true;
    speak(1000);
    pause(300);
    speak(1000);
    pause(300);
    ASSERT_EQ(engine.requests.size(), 1u);
    live.cancel(true);
    EXPECT_EQ(engine.abortCount, 1);
    answerOne();
    speak(1000);
    pause(300);
    EXPECT_EQ(engine.requests.size(), 1u) << "nothing more is heard or sent";
    EXPECT_TRUE(live.text().isEmpty());
}

TEST_F(LiveTranscriptionTest, CancellingWhileAnotherDictationUsesTheEngineLeavesItRunning) {
    engine.holdAnswers = true;
    speak(1000);
    pause(300);
    live.cancel(false);
    EXPECT_EQ(engine.abortCount, 0);
    answerOne();
    EXPECT_TRUE(live.text().isEmpty());
}

TEST_F(LiveTranscriptionTest, AFailedStretchFailsTheWholeTranscription) {
    engine.transcribeError = std::make_exception_ptr(std::runtime_error("engine"));
    speak(1000);
    pause(300);
    speak(500);
    EXPECT_TRUE(release().failed);
    EXPECT_EQ(engine.requests.size(), 1u) << "no stretch after a failure";
}

// What the overlay shows while the user speaks: the text so far, each time a stretch adds to it.
TEST_F(LiveTranscriptionTest, EachStretchThatAddsWordsAnnouncesTheTextSoFar) {
    QSignalSpy changed(&live, &LiveTranscription::textChanged);
    engine.transcripts = {" Dear Anna,", "  ", " see you."};
    for (int i = 0; i < 3; ++i) {
        speak(1000);
        pause(300);
    }
    ASSERT_EQ(engine.requests.size(), 3u);
    ASSERT_EQ(changed.size(), 2) << "a stretch that added nothing says nothing";
    EXPECT_EQ(changed.at(0).at(0).toString(), "Dear Anna,");
    EXPECT_EQ(changed.at(1).at(0).toString(), "Dear Anna, see you.");
}

TEST(LiveTranscriptionJoin, TextsAreJoinedWithTheSpacingTheirScriptNeeds) {
    EXPECT_EQ(LiveTranscription::joined("", " Hello."), "Hello.");
    EXPECT_EQ(LiveTranscription::joined("Hello.", " How are you? "), "Hello. How are you?");
    EXPECT_EQ(LiveTranscription::joined("Hello.", "  "), "Hello.");
    EXPECT_EQ(LiveTranscription::joined("今日は晴れです。", "明日は雨です。"),
              "今日は晴れです。明日は雨です。");
    EXPECT_EQ(LiveTranscription::joined("我们开会", "讨论计划"), "我们开会讨论计划");
    EXPECT_EQ(LiveTranscription::joined("Quillo 很好", "Linux"), "Quillo 很好 Linux");
}
