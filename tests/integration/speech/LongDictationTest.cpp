#include "dictation/DictationCoordinator.h"
#include "platform/whisper/WhisperCppSpeechEngine.h"
#include "services/audio/WavEncoder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "services/hotkey/HotkeyManager.h"
#include "services/hotkey/HotkeyUtils.h"
#include "services/local/LocalTranscriber.h"
#include "support/DictationRig.h"
#include "support/EventLoop.h"
#include "support/FakeFnKeySetting.h"
#include "support/RandomWhisperModel.h"
#include "support/SpeechSamples.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

using namespace std::chrono_literals;
using S = RecordingStateValue;

namespace {

constexpr qsizetype samplesPerMs = 16;

// A dictation of about a minute: phrases with the pause after each, in milliseconds. The third
// runs on for about 25 s without a pause, longer than a stretch may grow.
struct Phrase {
    const char* words;
    int pauseMs;
};
constexpr Phrase dictation[] = {
    {"Hi Sam thanks for sending the notes from yesterday's call", 650},
    {"I went through them on the train this morning and I think we agree on most of the plan", 800},
    {"the one thing I would change is the order of the first two steps because the data we "
     "need for the report only arrives at the end of the month and if we start with the report "
     "we will have to wait for it anyway so it makes more sense to begin with the survey and to "
     "write the report once the numbers are in",
     700},
    {"Could you ask Maria whether she can run the survey next week", 1600},
    {"If she cannot", 280},
    {"I am happy to do it myself", 600},
    {"Let me know what you think", 500},
    {"Best wishes Alex", 0},
};
constexpr int runOnPhrase = 2;
// Between the words of a phrase, in turn: from none to a short breath, as in running speech.
constexpr int wordGapsMs[] = {30, 0, 50, 20, 40, 10};

struct Span {
    qsizetype begin = 0;
    qsizetype end = 0;
};

// The dictation as 16 kHz mono audio, and where each of its words begins and ends in it.
struct Utterance {
    std::vector<qint16> samples;
    std::vector<Span> words;
    std::vector<int> phraseOfWord;
    QString error;
};

// Runs `program` and returns its standard output; empty with `error` set when it fails.
QByteArray run(const QString& program, const QStringList& arguments, QString& error) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error = QStringLiteral("%1 failed (installed by scripts/setup.sh): %2")
                    .arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
        return {};
    }
    return process.readAllStandardOutput();
}

// espeak-ng says every word once, as a list, so that a long silence follows each; each word is
// then the audio between two such silences (the silences inside a word, at its stops, are far
// shorter). The words are put together again with the gaps and pauses of the dictation: there,
// where each word begins and ends is known to the sample.
Utterance synthesize(const QString& folder) {
    Utterance out;
    QStringList words;
    for (const Phrase& phrase : dictation) {
        words << QString::fromLatin1(phrase.words).split(QLatin1Char(' '));
    }
    const QString wav = folder + QStringLiteral("/words.wav");
    run(QStringLiteral("espeak-ng"),
        {QStringLiteral("-v"), QStringLiteral("en-us"), QStringLiteral("-s"), QStringLiteral("170"),
         QStringLiteral("-g"), QStringLiteral("20"), QStringLiteral("-w"), wav,
         words.join(QStringLiteral(", "))},
        out.error);
    if (!out.error.isEmpty()) {
        return out;
    }
    const QByteArray raw =
        run(QStringLiteral("sox"),
            {QStringLiteral("-D"), wav, QStringLiteral("-r"), QStringLiteral("16000"),
             QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-b"), QStringLiteral("16"),
             QStringLiteral("-e"), QStringLiteral("signed"), QStringLiteral("-t"),
             QStringLiteral("raw"), QStringLiteral("-")},
            out.error);
    if (!out.error.isEmpty()) {
        return out;
    }
    std::vector<qint16> list(static_cast<std::size_t>(raw.size() / 2));
    std::memcpy(list.data(), raw.constData(), list.size() * 2);

    // Sound is anything above -72 dBFS; 150 ms below it separates two words.
    constexpr int silent = 8;
    constexpr qsizetype separation = 150 * samplesPerMs;
    std::vector<Span> said;
    qsizetype lastSound = -1;
    for (qsizetype i = 0; i < static_cast<qsizetype>(list.size()); ++i) {
        if (std::abs(list[static_cast<std::size_t>(i)]) <= silent) {
            continue;
        }
        if (said.empty() || i - lastSound > separation) {
            said.push_back({i, i + 1});
        }
        said.back().end = i + 1;
        lastSound = i;
    }
    if (said.size() != static_cast<std::size_t>(words.size())) {
        out.error = QStringLiteral("espeak-ng's list held %1 sounds for %2 words")
                        .arg(said.size())
                        .arg(words.size());
        return out;
    }

    auto append = [&out](const qint16* from, qsizetype count) {
        out.samples.insert(out.samples.end(), from, from + count);
    };
    auto pause = [&out](int ms) { out.samples.resize(out.samples.size() + ms * samplesPerMs, 0); };
    pause(500);  // the key goes down a moment before the first word
    std::size_t word = 0;
    int gap = 0;
    for (int p = 0; p < static_cast<int>(std::size(dictation)); ++p) {
        const qsizetype count = QString::fromLatin1(dictation[p].words).split(' ').size();
        for (qsizetype k = 0; k < count; ++k, ++word) {
            if (k > 0) {
                pause(wordGapsMs[gap++ % std::size(wordGapsMs)]);
            }
            const Span source = said[word];
            const auto begin = static_cast<qsizetype>(out.samples.size());
            append(list.data() + source.begin, source.end - source.begin);
            out.words.push_back({begin, static_cast<qsizetype>(out.samples.size())});
            out.phraseOfWord.push_back(p);
        }
        pause(dictation[p].pauseMs);
    }
    pause(500);
    // A quiet room under it all.
    SpeechSamples::mixInto(out.samples,
                           SpeechSamples::noise(double(out.samples.size()) / 16000, -58.0));
    return out;
}

// The speech detector of the application, which also keeps every stretch it is shown: each
// stretch passes it once on its way to the engine, and the release shows it the whole
// recording once.
class ObservingSpeechDetector final : public SpeechDetector {
public:
    std::optional<Span> findSpeech(const qint16* samples, qsizetype count) const override {
        shown.emplace_back(samples, samples + count);
        return detector.findSpeech(samples, count);
    }
    std::unique_ptr<FrameClassifier> frameClassifier() const override {
        return detector.frameClassifier();
    }

    WebRtcSpeechDetector detector;
    mutable std::vector<std::vector<qint16>> shown;
};

// The engine, with a count of the transcriptions it is working on: the test speaks no faster
// than the engine hears, as a person does, so every stretch reaches it on its own.
class PacedSpeechEngine final : public SpeechEngine {
public:
    explicit PacedSpeechEngine(SpeechEngine& engine) : engine_(engine) {}
    QCoro::Task<void> load(QString modelPath) override {
        const Working counted(working);
        co_await engine_.load(std::move(modelPath));
    }
    QCoro::Task<QString> transcribe(Request request) override {
        const Working counted(working);
        co_return co_await engine_.transcribe(std::move(request));
    }
    void abort() override { engine_.abort(); }
    QCoro::Task<void> unload() override { return engine_.unload(); }
    QString loadedModel() const override { return engine_.loadedModel(); }

    int working = 0;  // loads and transcriptions under way

private:
    struct Working {
        explicit Working(int& count) : count(count) { ++count; }
        ~Working() { --count; }
        int& count;
    };

    SpeechEngine& engine_;
};

// The hotkey's Fn setting for the test's lifetime only.
struct FnKeySettingInstalled {
    explicit FnKeySettingInstalled(FakeFnKeySetting& setting) {
        HotkeyUtils::installFnKeySetting(&setting);
    }
    ~FnKeySettingInstalled() { HotkeyUtils::installFnKeySetting(nullptr); }
};

void appendPcm(QByteArray& wav, const qint16* samples, qsizetype count) {
    wav.append(reinterpret_cast<const char*>(samples), count * 2);
}

// A minute's dictation, held down and spoken at once, on this computer's engine with a model
// of the tiny shape (random weights: the words are meaningless, the plumbing is real) and the
// application's speech detector: it is transcribed in stretches while it is spoken, and ends as
// one text, pasted once. No stretch begins or ends inside a word.
TEST(LongDictationTest, AMinuteWithPausesIsOneTextPastedOnceAndNoCutFallsInsideAWord) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const Utterance utterance = synthesize(folder.path());
    ASSERT_TRUE(utterance.error.isEmpty()) << utterance.error.toStdString();
    const auto total = static_cast<qsizetype>(utterance.samples.size());
    ASSERT_GT(total, 50 * 16000);
    ASSERT_LT(total, 65 * 16000);
    const QString model = RandomWhisperModel::generate(folder.path(), QStringLiteral("tiny"));
    ASSERT_FALSE(model.isEmpty()) << "the model generator failed";

    FakeFnKeySetting fnSetting;
    const FnKeySettingInstalled installed(fnSetting);
    DictationRig rig;
    AppSettings& settings = rig.settings;
    settings.setLocalTranscription(true);
    settings.setLocalModel(model);
    settings.setSelectedMode(DictationMode::raw);
    // The encoder's window matched to each stretch keeps the minute short to transcribe; where
    // the stretches are cut and how their texts are delivered do not depend on it.
    settings.setLocalTranscriptionFast(true);
    FakeDictationRecorder& recorder = rig.recorder;
    recorder.audio = WavEncoder::createWAVData({}, 16000, 1, 16);
    ManualScheduler& scheduler = rig.scheduler;
    FakeGlobalHotkeyBackend& hotkeys = rig.hotkeys;
    ObservingSpeechDetector detector;
    // Two compute threads, as on the two cores of the machines the suite runs on.
    WhisperCppSpeechEngine whisper(2);
    PacedSpeechEngine engine(whisper);
    LocalTranscriber local{engine, scheduler, settings};
    rig.parts.speech = &detector;
    rig.parts.local = &local;
    const std::unique_ptr<DictationCoordinator> coordinator = rig.startCoordinator();

    QElapsedTimer clock;
    clock.start();
    hotkeys.press(HotkeyManager::hotkeyId);
    scheduler.advance(300ms);
    ASSERT_EQ(recorder.startCount, 1);
    // The words arrive a quarter of a second at a time, while the engine works on its thread.
    constexpr qsizetype chunk = 250 * samplesPerMs;
    for (qsizetype at = 0; at < total; at += chunk) {
        appendPcm(recorder.audio, utterance.samples.data() + at, std::min(chunk, total - at));
        scheduler.advance(250ms);
        ASSERT_TRUE(waitUntil([&] { return engine.working == 0; }, 60s))
            << "a stretch never came back from the engine";
    }
    const qint64 spoken = clock.elapsed();
    QByteArray pcm;
    appendPcm(pcm, utterance.samples.data(), total);
    recorder.audio = WavEncoder::createWAVData(pcm, 16000, 1, 16);
    hotkeys.release(HotkeyManager::hotkeyId);
    scheduler.runDue();
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 100000 && coordinator->stateMachine().state() != S::idle) {
        scheduler.runDue();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const qint64 afterRelease = wait.elapsed();
    ASSERT_EQ(coordinator->stateMachine().state(), S::idle)
        << "the dictation never ended:\n"
        << rig.log.lines().join('\n').toStdString();

    // One text: one transcription, one paste, one history entry.
    const QStringList transcriptions =
        rig.log.lines().filter(QStringLiteral("[Quillo] Transcription:"));
    EXPECT_EQ(transcriptions.size(), 1) << transcriptions.join('\n').toStdString();
    EXPECT_TRUE(rig.log.lines().filter(QStringLiteral("ERROR")).isEmpty())
        << rig.log.lines().join('\n').toStdString();
    ASSERT_EQ(rig.paster.pasted.size(), 1);
    EXPECT_FALSE(rig.paster.pasted[0].trimmed().isEmpty());
    ASSERT_EQ(settings.recentDictations().size(), 1);
    EXPECT_EQ(settings.recentDictations()[0].text, rig.paster.pasted[0].trimmed());

    // The stretches, less the whole recording the release showed the detector, lie end to end
    // over the recording: where one ends and the next begins is a cut.
    std::vector<std::vector<qint16>> stretches = detector.shown;
    const auto whole = std::find_if(stretches.begin(), stretches.end(),
                                    [&](const auto& s) { return s == utterance.samples; });
    ASSERT_NE(whole, stretches.end());
    stretches.erase(whole);
    std::vector<qint16> joined;
    std::vector<qsizetype> cuts;
    for (const auto& stretch : stretches) {
        if (!joined.empty()) {
            cuts.push_back(static_cast<qsizetype>(joined.size()));
        }
        joined.insert(joined.end(), stretch.begin(), stretch.end());
    }
    ASSERT_TRUE(joined == utterance.samples) << "the stretches do not make up the recording";

    QStringList cutTimes;
    qsizetype nearest = std::numeric_limits<qsizetype>::max();
    bool runOnWasCut = false;
    for (const qsizetype cut : cuts) {
        cutTimes << QString::number(double(cut) / 16000, 'f', 2);
        for (std::size_t w = 0; w < utterance.words.size(); ++w) {
            const Span word = utterance.words[w];
            EXPECT_FALSE(word.begin < cut && cut < word.end)
                << "the cut at " << cut << " falls inside word " << w << " (" << word.begin << ".."
                << word.end << ")";
            nearest =
                std::min(nearest, std::min(std::abs(cut - word.begin), std::abs(cut - word.end)));
            if (w + 1 < utterance.words.size() && utterance.phraseOfWord[w] == runOnPhrase &&
                utterance.phraseOfWord[w + 1] == runOnPhrase && word.end <= cut &&
                cut <= utterance.words[w + 1].begin) {
                runOnWasCut = true;
            }
        }
    }
    EXPECT_GE(cuts.size(), 3u) << "the dictation went to the engine in several stretches";
    qsizetype previous = 0;
    for (const qsizetype cut : cuts) {
        EXPECT_GE(cut - previous, 10 * 16000) << "a stretch shorter than ten seconds";
        previous = cut;
    }
    EXPECT_TRUE(runOnWasCut) << "the 25 s phrase without a pause was cut between two words";
    std::printf(
        "[ figure   ] %.1f s spoken, %zu stretches, cuts at %s s; nearest word edge "
        "%.0f ms from a cut; %lld ms to feed the minute, %lld ms from the release to the "
        "paste\n",
        double(total) / 16000, stretches.size(), qPrintable(cutTimes.join(", ")),
        double(nearest) / samplesPerMs, static_cast<long long>(spoken),
        static_cast<long long>(afterRelease));
}

}  // namespace
