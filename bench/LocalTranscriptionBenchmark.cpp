// Speech to text on this computer, on random-weight models of the real tiny and base shapes
// (the decoder ends after a few tokens, so the times are the encoder's as with real speech),
// side by side with whisper.cpp's own command-line tool on the same clip and model:
//   build/ci/bench/LocalTranscriptionBenchmark [threads]
// Needs espeak-ng and sox for the 5 s spoken clip.
#include "BenchTools.h"

#include "platform/whisper/WhisperCppSpeechEngine.h"
#include "services/audio/WavDecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using bench::median;
using bench::runTool;
using bench::statusKilobytes;

constexpr int runs = 3;

// Five seconds of synthetic speech as the recorder writes it: 16 kHz, mono, 16-bit.
QString speechClip(const QTemporaryDir& dir) {
    const QString raw = dir.filePath("speech-raw.wav");
    const QString clip = dir.filePath("speech.wav");
    if (!runTool("espeak-ng", {"-w", raw,
                               "Please send the quarterly report to the whole team "
                               "before Friday, and thank you for your help."}) ||
        !runTool("sox", {raw, "-r", "16000", "-c", "1", "-b", "16", clip, "pad", "0", "5", "trim",
                         "0", "5"})) {
        return {};
    }
    return clip;
}

struct Timed {
    double seconds;
    QString text;
    double longestStallMs;
};

QCoro::Task<QString> transcribeTask(SpeechEngine& engine, SpeechEngine::Request request) {
    QString text = co_await engine.transcribe(std::move(request));
    co_return text;
}

// Key release to text: the WAV is decoded and transcribed with the model already loaded, while
// a 1 ms timer on the main thread records the longest gap between its ticks.
Timed keyReleaseToText(WhisperCppSpeechEngine& engine, const QByteArray& wav, bool matchContext) {
    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start();
    SpeechEngine::Request request;
    request.samples = WavDecoder::decode(wav).samples;
    request.language = "en";
    request.matchAudioContext = matchContext;
    const QString text = QCoro::waitFor(transcribeTask(engine, std::move(request)));
    const double seconds = clock.nsecsElapsed() / 1e9;
    ticker.stop();
    return {seconds, text, longest};
}

void benchmarkShape(const QString& shape, const QTemporaryDir& dir, const QString& clip,
                    int threads) {
    const QString tools = QCoreApplication::applicationDirPath() + "/../generators";
    const QString model = dir.filePath("ggml-random-" + shape + ".en.bin");
    if (!runTool(tools + "/whisper-random-model", {"--shape", shape, model})) {
        return;
    }
    QFile clipFile(clip);
    clipFile.open(QIODevice::ReadOnly);
    const QByteArray wav = clipFile.readAll();

    // whisper.cpp's own tool, default settings, same clip, model and thread count.
    std::vector<double> cliWall, cliTotal, cliLoad;
    const QString cli = QStringLiteral(QUILLO_WHISPER_CLI);
    for (int i = 0; !cli.isEmpty() && i < runs; ++i) {
        QElapsedTimer wall;
        wall.start();
        QString output;
        if (!runTool(cli, {"-m", model, "-f", clip, "-t", QString::number(threads), "-nt"},
                     &output)) {
            break;
        }
        cliWall.push_back(wall.nsecsElapsed() / 1e9);
        const auto ms = [&output](const char* what) {
            const QRegularExpression re(QString(what) + R"(\s*=\s*([0-9.]+) ms)");
            return re.match(output).captured(1).toDouble() / 1000.0;
        };
        cliLoad.push_back(ms("load time"));
        cliTotal.push_back(ms("total time"));
    }

    const long rssBefore = statusKilobytes("VmRSS:");
    WhisperCppSpeechEngine engine;
    QElapsedTimer loadClock;
    loadClock.start();
    QCoro::waitFor(engine.load(model));
    const double loadSeconds = loadClock.nsecsElapsed() / 1e9;

    keyReleaseToText(engine, wav, false);  // warm-up: first-use allocations
    std::vector<double> full, matched, stalls;
    QString text;
    for (int i = 0; i < runs; ++i) {
        const Timed t = keyReleaseToText(engine, wav, false);
        full.push_back(t.seconds);
        stalls.push_back(t.longestStallMs);
        text = t.text;
    }
    for (int i = 0; i < runs; ++i) {
        const Timed t = keyReleaseToText(engine, wav, true);
        matched.push_back(t.seconds);
        stalls.push_back(t.longestStallMs);
    }
    const long rssLoaded = statusKilobytes("VmRSS:");
    const long peak = statusKilobytes("VmHWM:");
    QCoro::waitFor(engine.unload());
    const long rssIdle = statusKilobytes("VmRSS:");

    std::printf("\n== %s (random weights, %d threads, 5 s clip) ==\n", qPrintable(shape), threads);
    if (!cliWall.empty()) {
        std::printf(
            "whisper-cli: wall %.3f s, its total %.3f s, its load %.3f s, "
            "total - load %.3f s (median of %d)\n",
            median(cliWall), median(cliTotal), median(cliLoad), median(cliTotal) - median(cliLoad),
            runs);
    }
    std::printf("key release -> text (model loaded): %.3f s (median of %d)\n", median(full), runs);
    if (!cliTotal.empty()) {
        std::printf("  above whisper-cli's total - load: %+.0f ms\n",
                    (median(full) - (median(cliTotal) - median(cliLoad))) * 1000);
    }
    std::printf("with the audio context matched to the clip: %.3f s\n", median(matched));
    std::printf("model load: %.3f s\n", loadSeconds);
    std::printf(
        "RSS before load %.1f MB, loaded %.1f MB, peak %.1f MB, after unload %.1f MB "
        "(%+.1f MB against before)\n",
        rssBefore / 1024.0, rssLoaded / 1024.0, peak / 1024.0, rssIdle / 1024.0,
        (rssIdle - rssBefore) / 1024.0);
    std::printf("main thread's longest stall during transcriptions: %.1f ms\n",
                *std::max_element(stalls.begin(), stalls.end()));
    std::printf("transcript: \"%s\"\n", qPrintable(text));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int threads = argc > 1 ? std::atoi(argv[1]) : 2;
    QTemporaryDir dir;
    const QString clip = speechClip(dir);
    if (clip.isEmpty()) {
        return 1;
    }
    for (const char* shape : {"tiny", "base"}) {
        benchmarkShape(shape, dir, clip, threads);
    }
    return 0;
}
