#include "platform/whisper/WhisperCppSpeechEngine.h"

#include "platform/SpeechEngineError.h"
#include "platform/whisper/WhisperModelFile.h"
#include "support/EngineClip.h"
#include "support/RandomWhisperModel.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
// GCC ships no allocator_interface.h; its ASan runtime exports the function all the same.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
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

// Fire and forget: the outcome lands in `into` whenever the load ends, if ever.
QCoro::Task<void> loadInto(SpeechEngine& engine, QString path,
                           std::shared_ptr<std::optional<Outcome>> into) {
    *into = co_await loadCaught(engine, std::move(path));
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

// A model file written field by field, in shapes no real model has. By default the "mini" shape
// with the mel filters, no vocabulary and a single small tensor: about 65 kB.
struct CraftedModel {
    WhisperModelFile::Header header{51864, 1500, 64, 2, 1, 448, 64, 2, 1, 80, 1};
    qint32 melCount = 80;
    qint32 fftCount = 201;
    QList<qint32> tokenLengths;
    struct Tensor {
        QList<qint32> extents{1, 64};
        QByteArray name = "encoder.conv1.bias";
        qint32 type = 0;  // f32
    };
    QList<Tensor> tensors{Tensor{}};
    qint64 growTo = 0;  // zeros up to this size, after the tensors

    bool write(const QString& path) const {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return false;
        }
        QDataStream out(&file);
        out.setByteOrder(QDataStream::LittleEndian);
        out << qint32(0x67676d6c);
        const WhisperModelFile::Header& h = header;
        for (qint32 value :
             {h.nVocab, h.nAudioCtx, h.nAudioState, h.nAudioHead, h.nAudioLayer, h.nTextCtx,
              h.nTextState, h.nTextHead, h.nTextLayer, h.nMels, h.ftype}) {
            out << value;
        }
        out << melCount << fftCount;
        file.write(QByteArray(qint64(h.nMels) * 201 * 4, '\0'));
        out << qint32(tokenLengths.size());
        for (qint32 length : tokenLengths) {
            out << length;
            file.write(QByteArray(std::clamp(length, 0, 64), 'a'));
        }
        for (const Tensor& tensor : tensors) {
            out << qint32(tensor.extents.size()) << qint32(tensor.name.size()) << tensor.type;
            qint64 bytes = 4;  // as much as fits in a small file
            for (qint32 extent : tensor.extents) {
                out << extent;
                bytes = std::clamp<qint64>(bytes * extent, 0, 1 << 20);
            }
            file.write(tensor.name);
            file.write(QByteArray(bytes, '\0'));
        }
        return file.size() >= growTo || file.resize(growTo);
    }
};

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
    // The load's outcome, or none when it is still running after a minute: a load that hangs
    // fails the test instead of hanging it. `unstick` then frees the engine's thread.
    std::optional<Outcome> loadUnlessStuck(const QString& path,
                                           const std::function<void()>& unstick) {
        auto outcome = std::make_shared<std::optional<Outcome>>();
        loadInto(engine, path, outcome);
        if (QTest::qWaitFor([&] { return outcome->has_value(); }, 60000)) {
            return *outcome;
        }
        unstick();
        if (!QTest::qWaitFor([&] { return outcome->has_value(); }, 60000)) {
            ADD_FAILURE() << "the engine's thread is still stuck";
        }
        return std::nullopt;
    }

    QTemporaryDir dir;
    WhisperCppSpeechEngine engine;
};

TEST_F(WhisperCppSpeechEngineTest, GeneratedModelWritesItsFewWordsAndEnds) {
    const QString path = model();
    ASSERT_FALSE(load(path).error);
    EXPECT_EQ(engine.loadedModel(), path);
    const Outcome outcome = transcribe(engineClip(2.0));
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
    const Outcome outcome = transcribe(engineClip(30.0));
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
    EXPECT_EQ(transcribe(engineClip(30.0)).error, Kind::aborted);
    aborter.stop();

    const Outcome next = transcribe(engineClip(1.0));
    EXPECT_FALSE(next.error) << next.description.toStdString();
    EXPECT_FALSE(next.text.isEmpty());
}

TEST_F(WhisperCppSpeechEngineTest, MissingModelIsReportedAsMissing) {
    const Outcome outcome = load(dir.filePath("ggml-nothing.bin"));
    EXPECT_EQ(outcome.error, Kind::modelMissing);
    EXPECT_TRUE(engine.loadedModel().isEmpty());
    EXPECT_EQ(transcribe(engineClip(1.0)).error, Kind::failed);  // nothing loaded: no crash either
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

// whisper.cpp believes every number in the file and aborts the process on one it cannot honour
// (a failed allocation, a ggml assertion): the first file here once passed the check and then
// killed Quillo at every key press. Each is refused, with its reason, before whisper.cpp reads it.
TEST_F(WhisperCppSpeechEngineTest, CraftedHeadersAreRefusedWithTheReasonBeforeWhisperReadsThem) {
    constexpr qint32 huge = std::numeric_limits<qint32>::max();
    struct Case {
        const char* what;
        std::function<void(CraftedModel&)> craft;
        const char* reason;
    };
    const Case cases[] = {
        {"a 2^31-token text window in 65 kB", [](CraftedModel& m) { m.header.nTextCtx = huge; },
         "n_text_ctx is 2147483647"},
        {"a huge vocabulary", [](CraftedModel& m) { m.header.nVocab = huge; }, "n_vocab"},
        {"a million encoder layers", [](CraftedModel& m) { m.header.nAudioLayer = 1 << 20; },
         "n_audio_layer"},
        {"a million decoder layers", [](CraftedModel& m) { m.header.nTextLayer = 1 << 20; },
         "n_text_layer"},
        {"an unknown weight type", [](CraftedModel& m) { m.header.ftype = 5; }, "ftype 5"},
        {"encoder and decoder of different widths",
         [](CraftedModel& m) { m.header.nTextState = 128; }, "differ"},
        {"a state that heads do not divide", [](CraftedModel& m) { m.header.nAudioHead = 3; },
         "heads"},
        {"mel filters of another FFT", [](CraftedModel& m) { m.fftCount = 4000; }, "mel filters"},
        {"a 2 GB token",
         [](CraftedModel& m) {
             m.tokenLengths = {3, huge};
         },
         "token 1"},
        {"a sound header and no weights after it", [](CraftedModel&) {},
         "the file is incomplete: the header announces"},
        {"tensor extents whose product wraps to zero",
         [](CraftedModel& m) {
             m.tensors = {{{65536, 65536, 65536, 65536}, "encoder.conv1.bias", 0}};
             m.growTo = 64 << 20;  // room for every weight the header announces
         },
         "impossible shape"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CraftedModel crafted;
        c.craft(crafted);
        const QString path = dir.filePath(QStringLiteral("ggml-crafted.bin"));
        ASSERT_TRUE(crafted.write(path));
        const Outcome outcome = load(path);
        EXPECT_EQ(outcome.error, Kind::modelUnreadable);
        EXPECT_TRUE(outcome.description.contains(QLatin1String(c.reason)))
            << outcome.description.toStdString();
        EXPECT_TRUE(engine.loadedModel().isEmpty());
    }
    // Still alive, and still loading what is sound.
    const Outcome sound = load(model());
    EXPECT_FALSE(sound.error) << sound.description.toStdString();
}

TEST_F(WhisperCppSpeechEngineTest, RealModelShapesLoadAlsoThroughALink) {
    for (const QString& shape : {QStringLiteral("tiny"), QStringLiteral("base")}) {
        SCOPED_TRACE(shape.toStdString());
        const QString path = model(shape);
        const QString link = dir.filePath(QStringLiteral("ggml-link-%1.bin").arg(shape));
        ASSERT_TRUE(QFile::link(path, link));
        const Outcome outcome = load(link);
        EXPECT_FALSE(outcome.error) << outcome.description.toStdString();
        EXPECT_EQ(engine.loadedModel(), link);
        QFile::remove(path);  // a base model is 150 MB
    }
}

// A FIFO at the path once blocked the engine's thread in open() until a writer came, which
// none did: Quillo could not even quit.
TEST_F(WhisperCppSpeechEngineTest, FifoOrDeviceAtTheModelPathIsRefusedWithoutWaiting) {
    const QString fifo = dir.filePath(QStringLiteral("ggml-fifo.bin"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("ggml-fifo-link.bin"));
    ASSERT_TRUE(QFile::link(fifo, link));
    // A writer that comes and goes lets a blocked open() return and read the end of the file.
    const auto unstick = [&fifo] {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) {
                ::close(writer);
                return;
            }
            QTest::qWait(100);
        }
    };
    for (const QString& path : {fifo, link, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        const std::optional<Outcome> outcome = loadUnlessStuck(path, unstick);
        ASSERT_TRUE(outcome) << "the load is waiting on the path";
        EXPECT_EQ(outcome->error, Kind::modelUnreadable);
        EXPECT_TRUE(outcome->description.contains(QLatin1String("not a regular file")))
            << outcome->description.toStdString();
    }
}

// On a failed assertion ggml forks gdb (or lldb) against the process for a backtrace: seconds
// of a frozen Quillo under a debugger. Quillo's start-up turns that off.
TEST(GgmlAbortTest, AnAbortStartsNoDebugger) {
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QString mark = bin.filePath(QStringLiteral("debugger-started"));
    for (const char* debugger : {"gdb", "lldb"}) {
        QFile script(bin.filePath(QLatin1String(debugger)));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ntouch '" + QFile::encodeName(mark) + "'\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("GGML_NO_BACKTRACE"));
    environment.insert(QStringLiteral("PATH"),
                       bin.path() + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(QUILLO_BINARY_DIR "/tests/ggml_abort_child"));
    ASSERT_TRUE(child.waitForFinished(60000)) << "the aborting child hangs";
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(child.readAllStandardError().contains("a model whisper.cpp cannot use"));
    EXPECT_FALSE(QFile::exists(mark)) << "ggml started a debugger";
}

TEST_F(WhisperCppSpeechEngineTest, UnloadFreesTheModelsMemory) {
    const QString path = model();
    const qint64 before = allocatedBytes();
    const long residentBefore = residentKilobytes();
    ASSERT_FALSE(load(path).error);
    ASSERT_FALSE(transcribe(engineClip(1.0)).error);
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
