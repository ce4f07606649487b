#include "platform/whisper/WhisperCppSpeechEngine.h"

#include "platform/SpeechEngineError.h"
#include "support/RandomWhisperModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
// GCC ships no allocator_interface.h; its ASan runtime exports the function all the same.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <cmath>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>

namespace {

using Kind = SpeechEngineError::Kind;

struct Outcome {
    QString text;
    std::optional<Kind> error;
    QString description;
};

// The engine's exceptions are caught inside the task: waitFor() must not see them (QCoro 0.8).
QCoro::Task<Outcome> loadCaught(SpeechEngine& engine, QString path) {
    Outcome outcome;
    try {
        co_await engine.load(path);
    } catch (const SpeechEngineError& e) {
        outcome.error = e.kind();
        outcome.description = e.description();
    }
    co_return outcome;
}

QCoro::Task<Outcome> transcribeCaught(SpeechEngine& engine, SpeechEngine::Request request) {
    Outcome outcome;
    try {
        outcome.text = co_await engine.transcribe(std::move(request));
    } catch (const SpeechEngineError& e) {
        outcome.error = e.kind();
        outcome.description = e.description();
    }
    co_return outcome;
}

// A tone with a little noise: the engine has to run its whole encoder on it.
SpeechEngine::Request clip(double seconds) {
    SpeechEngine::Request request;
    const auto count = static_cast<size_t>(seconds * 16000);
    request.samples.resize(count);
    unsigned seed = 7;
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        request.samples[i] = 0.3f * static_cast<float>(std::sin(i * 0.05)) +
                             0.05f * (static_cast<float>(seed >> 16 & 0x7fff) / 32768.0f - 0.5f);
    }
    return request;
}

// Bytes the program holds from the allocator, whether or not the pages went back to the
// system: the same count on every run, unlike the resident size.
qint64 allocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
#endif
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

class WhisperCppSpeechEngineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString model(const QString& shape = QStringLiteral("mini")) {
        const QString path = RandomWhisperModel::generate(dir.path(), shape);
        EXPECT_FALSE(path.isEmpty()) << "the model generator failed";
        return path;
    }
    Outcome load(const QString& path) { return QCoro::waitFor(loadCaught(engine, path)); }
    Outcome transcribe(SpeechEngine::Request request) {
        return QCoro::waitFor(transcribeCaught(engine, std::move(request)));
    }

    QTemporaryDir dir;
    WhisperCppSpeechEngine engine;
};

TEST_F(WhisperCppSpeechEngineTest, GeneratedModelWritesItsFewWordsAndEnds) {
    const QString path = model();
    ASSERT_FALSE(load(path).error);
    EXPECT_EQ(engine.loadedModel(), path);
    const Outcome outcome = transcribe(clip(2.0));
    ASSERT_FALSE(outcome.error) << outcome.description.toStdString();
    // Meaningless words, but a handful and then the end token: the plumbing works. Which words
    // depends on whisper's arithmetic on this processor, so only their shape is checked.
    const QStringList words = outcome.text.split(QLatin1Char(' '));
    EXPECT_GE(words.size(), 2) << outcome.text.toStdString();
    EXPECT_LE(words.size(), 32) << outcome.text.toStdString();
    for (const QString& word : words) {
        EXPECT_FALSE(word.isEmpty())
            << "no stray spaces in \"" << outcome.text.toStdString() << '"';
        EXPECT_FALSE(word.contains(QLatin1Char('['))) << "no special token in the text";
    }
}

TEST_F(WhisperCppSpeechEngineTest, MainThreadKeepsRunningWhileTheEngineWorks) {
    ASSERT_FALSE(load(model()).error);
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start();
    QElapsedTimer elapsed;
    elapsed.start();
    const Outcome outcome = transcribe(clip(30.0));
    const qint64 took = elapsed.elapsed();
    ASSERT_FALSE(outcome.error);
    // Had the engine run on the main thread, no tick could have been handled meanwhile.
    EXPECT_GT(ticks, 0) << "transcription took " << took << " ms";
}

TEST_F(WhisperCppSpeechEngineTest, AbortEndsTheRunningTranscriptionAndTheNextOneWorks) {
    ASSERT_FALSE(load(model()).error);
    QTimer aborter;  // keeps aborting until the run is over: it is certainly hit mid-run
    aborter.setInterval(0);
    QObject::connect(&aborter, &QTimer::timeout, [this] { engine.abort(); });
    aborter.start();
    EXPECT_EQ(transcribe(clip(30.0)).error, Kind::aborted);
    aborter.stop();

    const Outcome next = transcribe(clip(1.0));
    EXPECT_FALSE(next.error) << next.description.toStdString();
    EXPECT_FALSE(next.text.isEmpty());
}

TEST_F(WhisperCppSpeechEngineTest, MissingModelIsReportedAsMissing) {
    const Outcome outcome = load(dir.filePath("ggml-nothing.bin"));
    EXPECT_EQ(outcome.error, Kind::modelMissing);
    EXPECT_TRUE(engine.loadedModel().isEmpty());
    EXPECT_EQ(transcribe(clip(1.0)).error, Kind::failed);  // nothing loaded: no crash either
}

TEST_F(WhisperCppSpeechEngineTest, TruncatedOrForeignFilesAreRefusedBeforeWhisperReadsThem) {
    const QString path = model();
    QFile file(path);
    ASSERT_TRUE(file.resize(file.size() - 1000));  // a download that stopped near the end
    Outcome outcome = load(path);
    EXPECT_EQ(outcome.error, Kind::modelUnreadable);
    EXPECT_TRUE(outcome.description.contains("incomplete")) << outcome.description.toStdString();

    QFile foreign(dir.filePath("page.html"));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write("<html>404 Not Found</html>");
    foreign.close();
    outcome = load(foreign.fileName());
    EXPECT_EQ(outcome.error, Kind::modelUnreadable);
    EXPECT_TRUE(outcome.description.contains("bad magic"));
    EXPECT_TRUE(engine.loadedModel().isEmpty());
}

TEST_F(WhisperCppSpeechEngineTest, UnloadFreesTheModelsMemory) {
    const QString path = model();
    const qint64 before = allocatedBytes();
    const long residentBefore = residentKilobytes();
    ASSERT_FALSE(load(path).error);
    ASSERT_FALSE(transcribe(clip(1.0)).error);
    const qint64 loaded = allocatedBytes();
    const long residentLoaded = residentKilobytes();
    QCoro::waitFor(engine.unload());
    const qint64 after = allocatedBytes();
    EXPECT_TRUE(engine.loadedModel().isEmpty());
    // How much the system got back depends on the allocator's fragmentation: a figure only.
    std::printf("[ figure   ] resident %ld kB before, %ld kB loaded, %ld kB after the unload\n",
                residentBefore, residentLoaded, residentKilobytes());
    ASSERT_GT(loaded - before, 20 * 1024 * 1024) << "a loaded model and its buffers take room";
    // Most of it is freed; what stays is whisper's and ggml's small once-only state.
    EXPECT_LT(after - before, (loaded - before) / 20)
        << "before " << before << " B, loaded " << loaded << " B, after " << after << " B";
}

TEST(WhisperCppAudioContextTest, MatchesTheClipWithAMarginAndNeverExceedsTheFullWindow) {
    EXPECT_EQ(WhisperCppSpeechEngine::matchingAudioContext(5 * 16000), 288);
    EXPECT_EQ(WhisperCppSpeechEngine::matchingAudioContext(1), 64);
    EXPECT_EQ(WhisperCppSpeechEngine::matchingAudioContext(60 * 16000), 1500);
}

}  // namespace
