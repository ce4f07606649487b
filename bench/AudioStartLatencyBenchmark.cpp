// Time from startRecording() to the first captured buffer against the PulseAudio server of
// scripts/with-test-env.sh, whose pipe source this program feeds with a tone in real time.
//   bash scripts/with-test-env.sh build/ci/bench/AudioStartLatencyBenchmark
#include "platform/audio/QtAudioInput.h"
#include "services/audio/AudioRecorder.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Writes a 440 Hz tone, s16le 48 kHz mono, in 10 ms chunks at real-time pace.
class ToneFeeder {
public:
    explicit ToneFeeder(const QByteArray& pipe) : fd_(::open(pipe.constData(), O_WRONLY)) {
        if (fd_ >= 0) {
            thread_ = std::thread([this] { run(); });
        }
    }
    ~ToneFeeder() {
        running_ = false;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool isOpen() const { return fd_ >= 0; }

private:
    void run() {
        std::vector<std::int16_t> chunk(480);
        std::int64_t frame = 0;
        auto due = Clock::now();
        while (running_) {
            for (auto& sample : chunk) {
                sample = static_cast<std::int16_t>(
                    16000 * std::sin(2 * std::numbers::pi * 440 * double(frame++) / 48000));
            }
            if (::write(fd_, chunk.data(), chunk.size() * 2) < 0) {
                return;
            }
            due += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(due);
        }
    }

    int fd_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

void BM_StartToFirstBuffer(benchmark::State& state) {
    const QByteArray pipe = qgetenv("QUILLO_TEST_MIC_PIPE");
    if (pipe.isEmpty()) {
        state.SkipWithError("run under scripts/with-test-env.sh");
        return;
    }
    ToneFeeder feeder(pipe);
    if (!feeder.isOpen()) {
        state.SkipWithError("cannot open the microphone pipe");
        return;
    }
    AudioRecorder recorder(std::make_shared<QtAudioInput>());
    for (auto _ : state) {
        const auto started = Clock::now();
        recorder.startRecording();
        // The first buffer of a tone lifts the level above zero.
        while (recorder.currentLevel() == 0.0f) {
            if (Clock::now() - started > std::chrono::seconds(2)) {
                state.SkipWithError("no buffer within two seconds");
                return;
            }
            std::this_thread::yield();
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - started).count());
        recorder.stopRecording();
        // Let the stream close and the source settle as between two dictations.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
BENCHMARK(BM_StartToFirstBuffer)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
