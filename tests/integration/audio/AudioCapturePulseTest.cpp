#include "platform/audio/PulseDefaultSource.h"
#include "platform/audio/QtAudioInput.h"
#include "services/audio/AudioRecorder.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QtEndian>
#include <QMediaDevices>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace {

std::vector<qint16> samplesOf(const QByteArray& wav) {
    std::vector<qint16> samples;
    for (qsizetype offset = 44; offset + 1 < wav.size(); offset += 2) {
        samples.push_back(qFromLittleEndian<qint16>(wav.constData() + offset));
    }
    return samples;
}

// Real time passes here: the server delivers the pipe's audio as it is written.
void keepRunningFor(int milliseconds) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// 32 bytes per millisecond of wall time between start and stop, give or take what the server
// holds: the pipe source's 43 ms buffer (already full when a capture starts, still held at
// stop) and a 10 ms fragment of ours.
void expectAboutRealTime(double bytes, qint64 recordedMs) {
    EXPECT_LE(bytes, 32.0 * static_cast<double>(recordedMs + 55));
    EXPECT_GE(bytes, 32.0 * static_cast<double>(recordedMs - 120));
}

class AudioCapturePulseTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (MicPipeFeeder::pipePath().isEmpty()) {
            GTEST_SKIP() << "needs the PulseAudio server of scripts/with-test-env.sh";
        }
        pipeLock_ = std::make_unique<MicPipeLock>(MicPipeFeeder::pipePath());
    }
    void TearDown() override { pipeLock_.reset(); }

private:
    std::unique_ptr<MicPipeLock> pipeLock_;
};

}  // namespace

// The test server lists another microphone before its default one; Qt 6.4 alone would pick
// that one.
TEST_F(AudioCapturePulseTest, ChoosesTheServersDefaultSource) {
    ASSERT_GT(QMediaDevices::audioInputs().size(), 1);
    EXPECT_EQ(PulseDefaultSource::name(std::chrono::milliseconds(1000)), "test_mic");
    EXPECT_EQ(QtAudioInput::defaultDevice().id(), "test_mic");
    EXPECT_TRUE(QtAudioInput().hasInput());
}

TEST_F(AudioCapturePulseTest, OneSecondRecordingHoldsTheSourcesTone) {
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    AudioRecorder recorder(std::make_shared<QtAudioInput>());
    MicPipeFeeder feeder(MicPipeFeeder::pipePath(), 440, 0.5);
    ASSERT_TRUE(feeder.isOpen());

    QElapsedTimer recording;
    recording.start();
    recorder.startRecording();
    keepRunningFor(1000);
    EXPECT_GT(recorder.currentLevel(), 0.9f) << "a tone at half scale reads as full level";
    const QByteArray wav = recorder.stopRecording();
    const qint64 recordedMs = recording.elapsed();
    EXPECT_EQ(recorder.currentLevel(), 0.0f);

    const std::vector<qint16> samples = samplesOf(wav);
    const auto dataBytes = static_cast<double>(samples.size() * 2);
    EXPECT_NEAR(dataBytes, 32000, 3200);
    expectAboutRealTime(dataBytes, recordedMs);

    // The tone itself: its pitch from the zero crossings, its strength from the RMS, over the
    // samples after the first that carries signal.
    size_t first = 0;
    while (first < samples.size() && std::abs(samples[first]) < 1000) {
        ++first;
    }
    ASSERT_LT(first + 8000, samples.size()) << "less than half a second of signal";
    int crossings = 0;
    double sumOfSquares = 0;
    for (size_t n = first + 1; n < samples.size(); ++n) {
        crossings += (samples[n - 1] < 0) != (samples[n] < 0);
        sumOfSquares += double(samples[n]) * samples[n];
    }
    const double seconds = static_cast<double>(samples.size() - first) / 16000;
    EXPECT_NEAR(crossings / seconds / 2, 440, 5);
    const double rms = std::sqrt(sumOfSquares / static_cast<double>(samples.size() - first - 1));
    EXPECT_NEAR(rms, 0.5 * 32767 / std::sqrt(2.0), 0.05 * 32767);
}

TEST_F(AudioCapturePulseTest, RecordsAgainAfterStop) {
    AudioRecorder recorder(std::make_shared<QtAudioInput>());
    MicPipeFeeder feeder(MicPipeFeeder::pipePath(), 1000, 0.3);
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer recording;
        recording.start();
        recorder.startRecording();
        keepRunningFor(300);
        const auto bytes = static_cast<double>(recorder.stopRecording().size() - 44);
        SCOPED_TRACE(round);
        expectAboutRealTime(bytes, recording.elapsed());
    }
}
