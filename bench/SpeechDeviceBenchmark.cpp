// This computer's engine on one device: the graphics card, the processor, or (to check the
// card's path where there is none) Mesa's software Vulkan driver, on the same model and clip.
//   build/ci/bench/SpeechDeviceBenchmark [--device card|processor|software]
//       [--shape mini|tiny|base | --model FILE] [--seconds N] [--runs N] [--threads N]
// Prints the device, the model load, the first transcription (which on a card includes
// compiling its pipelines) and the median key release -> text with the model loaded, and the
// text. Needs espeak-ng and sox for the spoken clip. The software driver is 20-30 times slower
// than the processor: it checks the path, not the speed.
#include "BenchTools.h"

#include "platform/whisper/WhisperCppSpeechEngine.h"
#include "services/audio/WavDecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <qcoro/qcorotask.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <vector>

namespace {

using bench::median;
using bench::runTool;

QCoro::Task<QString> transcribeTask(SpeechEngine& engine, SpeechEngine::Request request) {
    co_return co_await engine.transcribe(std::move(request));
}

QString option(const QStringList& arguments, const QString& name, const QString& fallback) {
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
}

// Synthetic speech as the recorder writes it (16 kHz, mono, 16-bit), padded or cut to `seconds`.
std::vector<float> speech(const QTemporaryDir& dir, int seconds) {
    const QString raw = dir.filePath("speech-raw.wav");
    const QString clip = dir.filePath("speech.wav");
    if (!runTool("espeak-ng", {"-w", raw,
                               "Please send the quarterly report to the whole team before "
                               "Friday, and thank you for your help with the figures."}) ||
        !runTool("sox", {raw, "-r", "16000", "-c", "1", "-b", "16", clip, "pad", "0",
                         QString::number(seconds), "trim", "0", QString::number(seconds)})) {
        return {};
    }
    QFile file(clip);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return WavDecoder::decode(file.readAll()).samples;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString device = option(arguments, "--device", "card");
    if (device == "software") {
        // ggml hides the software driver unless named here, before its first use; Quillo never
        // sets this.
        ::setenv("GGML_VK_VISIBLE_DEVICES", "0", 1);
    }
    const int seconds = option(arguments, "--seconds", "5").toInt();
    const int runs = std::max(1, option(arguments, "--runs", "3").toInt());
    const int threads = option(arguments, "--threads", "0").toInt();

    QTemporaryDir dir;
    QString model = option(arguments, "--model", {});
    if (model.isEmpty()) {
        const QString shape = option(arguments, "--shape", "tiny");
        model = dir.filePath("ggml-random-" + shape + ".en.bin");
        if (!runTool(QCoreApplication::applicationDirPath() + "/../generators/whisper-random-model",
                     {"--shape", shape, model})) {
            return 1;
        }
    }
    SpeechEngine::Request request;
    request.samples = speech(dir, seconds);
    request.language = "en";
    if (request.samples.empty()) {
        return 1;
    }

    WhisperCppSpeechEngine engine(threads);
    if (device == "software") {
        engine.countSoftwareRendererAsCard();
    }
    const bool cardWanted = device != "processor";
    engine.setGraphicsCardWanted([cardWanted] { return cardWanted; });
    QElapsedTimer clock;
    clock.start();
    QCoro::waitFor(engine.load(model));
    const double loadSeconds = clock.nsecsElapsed() / 1e9;
    clock.restart();
    QString text = QCoro::waitFor(transcribeTask(engine, request));
    const double firstSeconds = clock.nsecsElapsed() / 1e9;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        clock.restart();
        text = QCoro::waitFor(transcribeTask(engine, request));
        times.push_back(clock.nsecsElapsed() / 1e9);
    }
    const SpeechDevice used = engine.device();
    std::printf("\n== %s, %d s clip, on %s ==\n", qPrintable(QFileInfo(model).fileName()), seconds,
                used.graphicsCard
                    ? qPrintable("the graphics card " + used.name)
                    : qPrintable(QString("the processor, %1 threads").arg(used.threads)));
    std::printf("model load: %.3f s\n", loadSeconds);
    std::printf("first transcription: %.3f s\n", firstSeconds);
    std::printf("key release -> text (model loaded): %.3f s (median of %d)\n", median(times), runs);
    std::printf("transcript: \"%s\"\n", qPrintable(text));
    return 0;
}
