// CPU of the voice-activity pass and of the trim that uses it, on ten seconds of speech
// (the test utterance three times, with pauses, in faint room noise).
//   build/ci/bench/SpeechDetectorBenchmark
// "x_realtime" is seconds of audio handled per second of one core.
// With --classify FILE... it instead says for each raw 16 kHz s16le file whether it holds
// speech and where: bench/speech-detector-clips.sh makes the clips its thresholds were
// chosen on.
#include "services/audio/SpeechTrimmer.h"
#include "services/audio/WavEncoder.h"
#include "services/audio/WebRtcSpeechDetector.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<qint16> tenSecondsOfSpeech() {
    QFile file(QStringLiteral(QUILLO_SOURCE_DIR "/tests/data/utterance-16k-s16le.raw"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    std::vector<qint16> utterance(static_cast<std::size_t>(bytes.size() / 2));
    std::memcpy(utterance.data(), bytes.constData(), utterance.size() * 2);

    std::vector<qint16> audio(10 * 16000, 0);
    std::size_t at = 4000;
    for (int i = 0; i < 3 && at + utterance.size() <= audio.size(); ++i) {
        std::copy(utterance.begin(), utterance.end(), audio.begin() + static_cast<long>(at));
        at += utterance.size() + 2000;
    }
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 60.0);  // about -55 dBFS
    for (qint16& sample : audio) {
        sample = static_cast<qint16>(
            std::clamp<long>(sample + std::lround(noise(random)), -32768, 32767));
    }
    return audio;
}

void setRealTime(benchmark::State& state, double seconds) {
    state.counters["x_realtime"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_VoiceActivityPass(benchmark::State& state) {
    const std::vector<qint16> audio = tenSecondsOfSpeech();
    const WebRtcSpeechDetector detector;
    for (auto _ : state) {
        auto span = detector.findSpeech(audio.data(), static_cast<qsizetype>(audio.size()));
        benchmark::DoNotOptimize(span);
    }
    setRealTime(state, static_cast<double>(audio.size()) / 16000);
}
BENCHMARK(BM_VoiceActivityPass)->Unit(benchmark::kMillisecond);

void BM_KeepSpeechOfTenSeconds(benchmark::State& state) {
    const std::vector<qint16> audio = tenSecondsOfSpeech();
    const QByteArray wav =
        WavEncoder::createWAVData(QByteArray(reinterpret_cast<const char*>(audio.data()),
                                             static_cast<qsizetype>(audio.size() * 2)),
                                  16000, 1, 16);
    const WebRtcSpeechDetector detector;
    for (auto _ : state) {
        auto kept = SpeechTrimmer::keepSpeech(wav, detector);
        benchmark::DoNotOptimize(kept);
    }
    setRealTime(state, static_cast<double>(audio.size()) / 16000);
}
BENCHMARK(BM_KeepSpeechOfTenSeconds)->Unit(benchmark::kMillisecond);

int classify(int argc, char** argv) {
    const WebRtcSpeechDetector detector;
    for (int i = 2; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::printf("%s: cannot read\n", argv[i]);
            continue;
        }
        const QByteArray bytes = file.readAll();
        const auto* samples = reinterpret_cast<const qint16*>(bytes.constData());
        const auto span = detector.findSpeech(samples, bytes.size() / 2);
        if (span) {
            std::printf("%s: speech %.2f s to %.2f s\n", argv[i], span->begin / 16000.0,
                        span->end / 16000.0);
        } else {
            std::printf("%s: no speech\n", argv[i]);
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--classify") == 0) {
        return classify(argc, argv);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
