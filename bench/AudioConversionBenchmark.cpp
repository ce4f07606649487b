// Level, mixdown, streaming resampling to 16 kHz and appending, as the capture thread does
// them, for 48 kHz mono float input. The "realtime" counter is seconds of audio per second.
#include "services/audio/AudioRecorder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

// Plays the capture thread: whatever handler the recorder installs gets the buffers.
class BenchInput : public AudioInput {
public:
    explicit BenchInput(Format format) : format_(format) {}
    bool hasInput() const override { return true; }
    StartResult start() override { return {format_, {}}; }
    void setBufferHandler(BufferHandler handler) override { handler_ = std::move(handler); }
    void removeBufferHandler() override { handler_ = nullptr; }
    void stop() override {}
    void deliver(const std::vector<float>& samples) {
        handler_(samples.data(), static_cast<qsizetype>(samples.size()) / format_.channels);
    }

private:
    Format format_;
    BufferHandler handler_;
};

void BM_ConvertTenSecondRecording(benchmark::State& state) {
    constexpr int sampleRate = 48000;
    constexpr int bufferFrames = 1024;
    constexpr int buffersPerRecording = 10 * sampleRate / bufferFrames;
    auto input = std::make_shared<BenchInput>(AudioInput::Format{sampleRate, 1});
    AudioRecorder recorder(input);

    // Speech-like content: two tones and some noise, so nothing is trivially zero.
    std::vector<std::vector<float>> buffers(16, std::vector<float>(bufferFrames));
    unsigned noise = 1;
    for (size_t b = 0; b < buffers.size(); ++b) {
        for (int i = 0; i < bufferFrames; ++i) {
            const double t = static_cast<double>(b * bufferFrames + i) / sampleRate;
            noise = noise * 1664525u + 1013904223u;
            buffers[b][i] =
                static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 220 * t) +
                                   0.1 * std::sin(2 * std::numbers::pi * 1870 * t) +
                                   0.02 * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5));
        }
    }

    for (auto _ : state) {
        recorder.startRecording();
        for (int i = 0; i < buffersPerRecording; ++i) {
            input->deliver(buffers[static_cast<size_t>(i) % buffers.size()]);
        }
        benchmark::DoNotOptimize(recorder.stopRecording());
    }
    const double secondsOfAudio =
        static_cast<double>(buffersPerRecording) * bufferFrames / sampleRate;
    state.counters["realtime"] = benchmark::Counter(
        secondsOfAudio * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertTenSecondRecording)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
