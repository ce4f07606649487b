// The local route's two ways from a dictation to its text, on random-weight models of the tiny
// and base shapes (the decoder ends after a few tokens, so the times are the encoder's), for
// dictations of espeak-ng speech with its pauses between sentences:
// - whole: after the key release, the recording is checked for speech and transcribed at once;
// - live: LiveTranscription hears the recording as it arrives, in real time, and transcribes
//   its stretches meanwhile; at the release only the tail since the last cut is left.
// Beside them whisper-cli on the whole clip, the tail's cost with the full and the matched audio
// context, and, while the recording runs, the process's CPU time and the main thread's lateness
// (a 5 ms timer).
//   build/ci/bench/LiveTranscriptionBenchmark [--long] [--fast]   (--long adds 120 s,
//                                                                   --fast matches the context)
//   build/ci/bench/LiveTranscriptionBenchmark --memory   (RSS around three tiny dictations)
// Needs espeak-ng and sox.
#include "BenchTools.h"
#include "ClipRecorder.h"

#include "base/QtScheduler.h"
#include "models/AppSettings.h"
#include "platform/desktop/SqliteDefaultsStore.h"
#include "platform/whisper/WhisperCppSpeechEngine.h"
#include "services/audio/SpeechTrimmer.h"
#include "services/audio/WavDecoder.h"
#include "services/audio/WavEncoder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "services/local/LiveTranscription.h"
#include "services/local/LocalTranscriber.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr qsizetype bytesPerSecond = 32000;
constexpr int tailRuns = 3;

// Sentences of different lengths, so the stretches are cut at different places.
constexpr char sentences[] =
    "Please send the quarterly report to the whole team before Friday. "
    "Thank you. "
    "The meeting with the design group moves to Tuesday afternoon, in the large room on the "
    "third floor. "
    "Remind me to call the bank about the transfer. "
    "We still need the figures for March and April, and the new prices from the supplier. "
    "That is all for now. "
    "Let us talk again next week, once the numbers are in.";

// Speech as the recorder keeps it (16 kHz mono 16-bit PCM), the sentences repeated past four
// minutes.
QByteArray spokenPcm(const QTemporaryDir& dir) {
    const QString raw = dir.filePath("speech-raw.wav");
    const QString pcm = dir.filePath("speech.pcm");
    if (!bench::runTool("espeak-ng", {"-w", raw, sentences}) ||
        !bench::runTool("sox", {raw, "-r", "16000", "-c", "1", "-b", "16", "-e", "signed-integer",
                                "-t", "raw", pcm, "repeat", "9"})) {
        return {};
    }
    QFile file(pcm);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

double loadAverage() {
    QFile file("/proc/loadavg");
    file.open(QIODevice::ReadOnly);
    return file.readAll().split(' ').value(0).toDouble();
}

void runEventLoopFor(qint64 milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(milliseconds), Qt::PreciseTimer, &loop,
                       &QEventLoop::quit);
    loop.exec();
}

// What the local route is made of, with the model given by path.
struct LocalRoute {
    LocalRoute(const QTemporaryDir& dir, const QString& model, bool fast)
        : store(dir.filePath("settings-" + QFileInfo(model).baseName() + ".sqlite")),
          settings(store),
          transcriber(engine, QtScheduler::instance(), settings) {
        settings.setLocalTranscription(true);
        settings.setLocalModel(model);
        settings.setLocalTranscriptionFast(fast);
    }

    WhisperCppSpeechEngine engine;
    SqliteDefaultsStore store;
    AppSettings settings;
    LocalTranscriber transcriber;
    WebRtcSpeechDetector detector;
};

struct Whole {
    double wait;
    double cpu;
};

// Key release to text when the whole recording is transcribed after the release.
Whole wholeRecording(LocalRoute& route, const QByteArray& pcm) {
    const double cpu = bench::processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const QByteArray wav = WavEncoder::createWAVData(pcm, 16000, 1, 16);
    const std::optional<QByteArray> speech = SpeechTrimmer::keepSpeech(wav, route.detector);
    if (speech) {
        QCoro::waitFor(route.transcriber.transcribe(*speech, QStringLiteral("en")));
    }
    return {clock.nsecsElapsed() / 1e9, bench::processCpuSeconds() - cpu};
}

struct Live {
    double feedCpu;
    double latestMs;
    double wait;
    double afterCpu;
    qsizetype stretches;
    QByteArray tail;
    QString textBeforeTail;  // the tail's prompt when the engine had caught up at the release
    QString text;
};

// A dictation fed in real time: the recorder's audio arrives at the clock's pace while the
// stretches are transcribed; the wait is from the release (all audio arrived) to the text.
// `asCoordinator` lets the model go when the recording ends, as the dictation does.
Live liveDictation(LocalRoute& route, const QByteArray& pcm, bool asCoordinator) {
    ClipRecorder recorder;
    LiveTranscription live({recorder, route.detector, route.transcriber, QtScheduler::instance()},
                           QStringLiteral("en"));
    route.transcriber.setRecording(true);

    constexpr double tickMs = 5;
    QElapsedTimer sinceTick;
    double latest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(std::chrono::milliseconds(5));
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        latest = std::max(latest, sinceTick.nsecsElapsed() / 1e6 - tickMs);
        sinceTick.restart();
    });

    Live run{};
    const double cpu = bench::processCpuSeconds();
    recorder.start(pcm);
    live.start();
    sinceTick.start();
    ticker.start();
    runEventLoopFor(pcm.size() * 1000 / bytesPerSecond + 1);
    ticker.stop();
    run.feedCpu = bench::processCpuSeconds() - cpu;
    run.latestMs = latest;

    const double releaseCpu = bench::processCpuSeconds();
    QElapsedTimer release;
    release.start();
    const QByteArray wav = recorder.stopRecording();
    if (asCoordinator) {
        route.transcriber.setRecording(false);
    }
    SpeechTrimmer::keepSpeech(wav, route.detector);  // the release checks for speech first
    const qsizetype lastCut = live.cuts().isEmpty() ? 0 : live.cuts().last();
    run.tail = pcm.mid(lastCut * 2);
    run.textBeforeTail = live.text();
    run.text = QCoro::waitFor(live.finish(pcm));
    run.wait = release.nsecsElapsed() / 1e9;
    run.afterCpu = bench::processCpuSeconds() - releaseCpu;
    run.stretches = live.cuts().size() + (run.tail.isEmpty() ? 0 : 1);
    return run;
}

QCoro::Task<QString> engineTask(SpeechEngine& engine, SpeechEngine::Request request) {
    QString text = co_await engine.transcribe(std::move(request));
    co_return text;
}

// The engine's time for the tail's speech, as the live transcription hands it over; 0 without
// speech.
double tailCost(LocalRoute& route, const QByteArray& tail, bool matchContext,
                const QString& precedingText = {}) {
    const std::optional<QByteArray> speech =
        SpeechTrimmer::keepSpeech(WavEncoder::createWAVData(tail, 16000, 1, 16), route.detector);
    if (!speech) {
        return 0;
    }
    const std::vector<float> samples = WavDecoder::decode(*speech).samples;
    std::vector<double> times;
    for (int i = 0; i < tailRuns; ++i) {
        SpeechEngine::Request request;
        request.samples = samples;
        request.language = QStringLiteral("en");
        request.matchAudioContext = matchContext;
        request.initialPrompt = LocalTranscriber::promptFrom({}, precedingText);
        QElapsedTimer clock;
        clock.start();
        QCoro::waitFor(engineTask(route.engine, std::move(request)));
        times.push_back(clock.nsecsElapsed() / 1e9);
    }
    return bench::median(times);
}

// whisper-cli's own time (total less load) on the whole clip, and its wall time.
std::pair<double, double> whisperCli(const QTemporaryDir& dir, const QString& model,
                                     const QByteArray& pcm, int threads) {
    const QString cli = QStringLiteral(QUILLO_WHISPER_CLI);
    if (cli.isEmpty()) {
        return {0, 0};
    }
    const QString clip = dir.filePath("clip.wav");
    QFile file(clip);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(WavEncoder::createWAVData(pcm, 16000, 1, 16));
    file.close();
    QElapsedTimer wall;
    wall.start();
    QString output;
    if (!bench::runTool(
            cli, {"-m", model, "-f", clip, "-t", QString::number(threads), "-l", "en", "-nt"},
            &output)) {
        return {0, 0};
    }
    const double wallSeconds = wall.nsecsElapsed() / 1e9;
    const auto ms = [&output](const char* what) {
        const QRegularExpression re(QString(what) + R"(\s*=\s*([0-9.]+) ms)");
        return re.match(output).captured(1).toDouble() / 1000.0;
    };
    return {ms("total time") - ms("load time"), wallSeconds};
}

QString randomModel(const QTemporaryDir& dir, const QString& shape) {
    const QString tools = QCoreApplication::applicationDirPath() + "/../generators";
    const QString model = dir.filePath("ggml-random-" + shape + ".en.bin");
    return bench::runTool(tools + "/whisper-random-model", {"--shape", shape, model}) ? model
                                                                                      : QString();
}

void compareWays(const QTemporaryDir& dir, const QByteArray& speech, bool withLong, bool fast) {
    const int threads = QThread::idealThreadCount();
    std::printf("engine threads %d, faster setting (matched context) %s\n", threads,
                fast ? "on" : "off");
    std::printf("%-5s %4s | %8s | %8s %6s | %8s %6s %6s %6s | %6s %8s %8s | %5s\n", "shape", "len",
                "cli s", "whole s", "cpu s", "live s", "cpu s", "parts", "tail s", "feed", "tail",
                "tail", "load");
    std::printf("%-5s %4s | %8s | %8s %6s | %8s %6s %6s %6s | %6s %8s %8s | %5s\n", "", "", "",
                "wait", "after", "wait", "after", "", "", "cpu s", "full s", "match s", "avg");
    for (const char* shape : {"tiny", "base"}) {
        const QString model = randomModel(dir, shape);
        if (model.isEmpty()) {
            return;
        }
        LocalRoute route(dir, model, fast);
        // Loads the model and makes the first-use allocations; it stays loaded throughout.
        route.transcriber.setRecording(true);
        wholeRecording(route, speech.left(5 * bytesPerSecond));

        std::vector<int> lengths{5, 20, 60};
        if (withLong) {
            lengths.push_back(120);
        }
        for (const int seconds : lengths) {
            const QByteArray pcm = speech.left(seconds * bytesPerSecond);
            const auto [cliSeconds, cliWall] = whisperCli(dir, model, pcm, threads);
            Q_UNUSED(cliWall);
            const Whole whole = wholeRecording(route, pcm);
            const Live live = liveDictation(route, pcm, false);
            const double full = tailCost(route, live.tail, false);
            const double matched = tailCost(route, live.tail, true);
            const double prompted = tailCost(route, live.tail, false, live.textBeforeTail);
            std::printf(
                "%-5s %3ds | %8.2f | %8.2f %6.2f | %8.2f %6.2f %6lld %6.2f | %6.2f %8.2f %8.2f | "
                "%5.2f\n",
                shape, seconds, cliSeconds, whole.wait, whole.cpu, live.wait, live.afterCpu,
                static_cast<long long>(live.stretches),
                static_cast<double>(live.tail.size()) / bytesPerSecond, live.feedCpu, full, matched,
                loadAverage());
            std::printf(
                "      main thread's latest 5 ms tick during the feed: %.1f ms late; tail with "
                "the text before it as prompt (full context): %.2f s; text %lld characters "
                "(before the tail %lld)\n",
                live.latestMs, prompted, static_cast<long long>(live.text.size()),
                static_cast<long long>(live.textBeforeTail.size()));
            std::fflush(stdout);
        }
    }
}

// Resident memory before the first of three tiny dictations and 60 s after the last, as the
// dictation runs them (the model is let go when the recording ends).
void memoryAround(const QTemporaryDir& dir, const QByteArray& speech) {
    const QString model = randomModel(dir, "tiny");
    if (model.isEmpty()) {
        return;
    }
    LocalRoute route(dir, model, false);
    const long before = bench::statusKilobytes("VmRSS:");
    for (int i = 0; i < 3; ++i) {
        liveDictation(route, speech.left(5 * bytesPerSecond), true);
    }
    const long after = bench::statusKilobytes("VmRSS:");
    runEventLoopFor(60000);
    const long later = bench::statusKilobytes("VmRSS:");
    std::printf(
        "RSS before the first dictation %.1f MB, after the third %.1f MB, 60 s later %.1f MB "
        "(%+.1f MB against before), peak %.1f MB, model loaded 60 s later: %s (load avg %.2f)\n",
        before / 1024.0, after / 1024.0, later / 1024.0, (later - before) / 1024.0,
        bench::statusKilobytes("VmHWM:") / 1024.0,
        route.engine.loadedModel().isEmpty() ? "no" : "yes", loadAverage());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTemporaryDir dir;
    const QByteArray speech = spokenPcm(dir);
    if (speech.size() < 120 * bytesPerSecond) {
        std::fprintf(stderr, "the spoken clip is too short\n");
        return 1;
    }
    if (arguments.contains("--memory")) {
        memoryAround(dir, speech);
    } else {
        compareWays(dir, speech, arguments.contains("--long"), arguments.contains("--fast"));
    }
    return 0;
}
