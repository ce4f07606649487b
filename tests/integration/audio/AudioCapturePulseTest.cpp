#include "platform/audio/PulseDefaultSource.h"
#include "platform/audio/QtAudioInput.h"
#include "services/audio/AudioRecorder.h"
#include "support/CountingAudioInput.h"
#include "support/MicPipeFeeder.h"
#include "support/SoundServerTest.h"
#include "support/WavData.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

// A recording holds all the audio the input delivered while it ran, at 16 kHz mono 16-bit
// (32 bytes a millisecond), give or take what the resampler holds back at the stop.
void expectHoldsAllDelivered(double bytes, double deliveredMs) {
    EXPECT_NEAR(bytes, 32.0 * deliveredMs, 32.0 * 10);
}

// How the delivered audio compares with the wall time, a figure for the log: the server's
// pace depends on the machine's load, so it is reported, not asserted.
void reportPace(const char* name, double deliveredMs, qint64 wallMs) {
    ::testing::Test::RecordProperty(name, QStringLiteral("%1 ms of audio in %2 ms")
                                              .arg(deliveredMs, 0, 'f', 0)
                                              .arg(wallMs)
                                              .toStdString());
    std::printf("[ figure   ] %s: %.0f ms of audio in %lld ms of wall time\n", name, deliveredMs,
                static_cast<long long>(wallMs));
}

using AudioCapturePulseTest = SoundServerTest;

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
    auto input = std::make_shared<CountingAudioInput>(std::make_shared<QtAudioInput>());
    AudioRecorder recorder(input);
    MicPipeFeeder feeder(MicPipeFeeder::pipePath(), 440, 0.5);
    ASSERT_TRUE(feeder.isOpen());

    QElapsedTimer recording;
    recording.start();
    recorder.startRecording();
    ASSERT_TRUE(waitUntil([&] { return input->heardMs() >= 1000; }));
    EXPECT_GT(recorder.currentLevel(), 0.9f) << "a tone at half scale reads as full level";
    const QByteArray wav = recorder.stopRecording();
    reportPace("one_second_recording", input->heardMs(), recording.elapsed());
    EXPECT_EQ(recorder.currentLevel(), 0.0f);

    const std::vector<qint16> samples = WavData::parse(wav).samples;
    expectHoldsAllDelivered(static_cast<double>(samples.size() * 2), input->heardMs());

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
    auto input = std::make_shared<CountingAudioInput>(std::make_shared<QtAudioInput>());
    AudioRecorder recorder(input);
    MicPipeFeeder feeder(MicPipeFeeder::pipePath(), 1000, 0.3);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const double before = input->heardMs();
        recorder.startRecording();
        ASSERT_TRUE(waitUntil([&] { return input->heardMs() - before >= 300; }));
        const auto bytes = static_cast<double>(recorder.stopRecording().size() - 44);
        expectHoldsAllDelivered(bytes, input->heardMs() - before);
    }
}
