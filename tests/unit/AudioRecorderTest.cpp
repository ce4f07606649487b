#include "services/audio/AudioRecorder.h"
#include "services/audio/AudioRecorderError.h"
#include "support/FakeAudioInput.h"
#include "support/WavData.h"

#include <qcoro/qcorotask.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

namespace {

constexpr qsizetype captureBufferFrames = 1024;

// A sine on every channel, delivered in capture-sized buffers.
void deliverSine(FakeAudioInput& input, AudioInput::Format format, double seconds, double frequency,
                 float amplitude) {
    const auto totalFrames = static_cast<qsizetype>(std::llround(seconds * format.sampleRate));
    std::vector<float> buffer;
    for (qsizetype first = 0; first < totalFrames; first += captureBufferFrames) {
        const qsizetype frames = std::min(captureBufferFrames, totalFrames - first);
        buffer.assign(static_cast<size_t>(frames * format.channels), 0.0f);
        for (qsizetype i = 0; i < frames; ++i) {
            const double t = static_cast<double>(first + i) / format.sampleRate;
            const auto value =
                static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * frequency * t));
            for (int channel = 0; channel < format.channels; ++channel) {
                buffer[static_cast<size_t>(i * format.channels + channel)] = value;
            }
        }
        input.deliver(buffer.data(), frames);
    }
}

std::vector<float> constantBuffer(float value, int channels = 1) {
    return std::vector<float>(static_cast<size_t>(captureBufferFrames * channels), value);
}

class AudioRecorderTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeAudioInput> input = std::make_shared<FakeAudioInput>();
    AudioRecorder recorder{input};
};

}  // namespace

TEST_F(AudioRecorderTest, StopWithoutStartIsEmptyAndStopRightAfterStartIsAHeaderOnly) {
    EXPECT_TRUE(recorder.stopRecording().isEmpty());

    recorder.startRecording();
    EXPECT_EQ(recorder.currentLevel(), 0.0f);
    const WavData wav = WavData::parse(recorder.stopRecording());
    EXPECT_EQ(wav.chunkSize, 36u);
    EXPECT_EQ(wav.dataSize, 0u);
    EXPECT_TRUE(wav.samples.empty());
    EXPECT_FALSE(input->isCapturing());
    EXPECT_TRUE(recorder.stopRecording().isEmpty()) << "a second stop finds nothing running";
}

TEST_F(AudioRecorderTest, SecondStartWhileRecordingKeepsTheRunningCapture) {
    recorder.startRecording();
    deliverSine(*input, {48000, 1}, 1.0, 440, 0.5f);
    recorder.startRecording();

    EXPECT_EQ(input->startCount(), 1);
    deliverSine(*input, {48000, 1}, 1.0, 440, 0.5f);
    EXPECT_NEAR(WavData::parse(recorder.stopRecording()).dataSize, 64000.0, 4.0);
}

class AudioRecorderLengthTest : public ::testing::TestWithParam<AudioInput::Format> {};

TEST_P(AudioRecorderLengthTest, TenSecondsOfAnyInputGive320000BytesOf16kMono) {
    auto input = std::make_shared<FakeAudioInput>(GetParam());
    AudioRecorder recorder(input);
    recorder.startRecording();
    deliverSine(*input, GetParam(), 10.0, 440, 0.5f);
    const QByteArray file = recorder.stopRecording();
    const WavData wav = WavData::parse(file);

    // A couple of samples either way is the resampler's rounding at the stream's ends.
    EXPECT_NEAR(wav.dataSize, 320000.0, 4.0);
    EXPECT_EQ(wav.dataSize % 2, 0u);
    EXPECT_EQ(wav.chunkSize, wav.dataSize + 36);
    EXPECT_EQ(file.size(), static_cast<qsizetype>(wav.dataSize) + 44);
}

INSTANTIATE_TEST_SUITE_P(AudioFormats, AudioRecorderLengthTest,
                         ::testing::Values(AudioInput::Format{48000, 1},
                                           AudioInput::Format{44100, 2}),
                         [](const auto& info) {
                             return std::to_string(info.param.sampleRate) + "Hz" +
                                    std::to_string(info.param.channels) + "ch";
                         });

// A resampler that loses its state or repeats input at buffer boundaries leaves clicks that
// no pure 440 Hz sine has; fitting the ideal sine to the output exposes both them and any
// change of pitch.
TEST_F(AudioRecorderTest, SineKeepsItsFrequencyWithoutDiscontinuitiesAtBufferBoundaries) {
    auto stereo = std::make_shared<FakeAudioInput>(AudioInput::Format{44100, 2});
    for (const auto& [source, format] : {std::pair{input, AudioInput::Format{48000, 1}},
                                         std::pair{stereo, AudioInput::Format{44100, 2}}}) {
        AudioRecorder sineRecorder(source);
        sineRecorder.startRecording();
        deliverSine(*source, format, 2.0, 440, 0.5f);
        const std::vector<qint16> samples = WavData::parse(sineRecorder.stopRecording()).samples;
        ASSERT_GT(samples.size(), 30000u);

        // Least-squares fit of a 440 Hz sine, away from the filter's edges.
        const size_t first = 200;
        const size_t last = samples.size() - 200;
        double sinSum = 0, cosSum = 0;
        for (size_t n = first; n < last; ++n) {
            const double phase = 2 * std::numbers::pi * 440 * static_cast<double>(n) / 16000;
            sinSum += samples[n] * std::sin(phase);
            cosSum += samples[n] * std::cos(phase);
        }
        const double count = static_cast<double>(last - first);
        const double a = 2 * sinSum / count, b = 2 * cosSum / count;
        double residual = 0, largestStep = 0;
        for (size_t n = first; n < last; ++n) {
            const double phase = 2 * std::numbers::pi * 440 * static_cast<double>(n) / 16000;
            const double error = samples[n] - (a * std::sin(phase) + b * std::cos(phase));
            residual = std::max(residual, std::abs(error));
            largestStep = std::max(largestStep, std::abs(double(samples[n]) - samples[n - 1]));
        }
        const double amplitude = std::hypot(a, b);
        EXPECT_NEAR(amplitude, 0.5 * 32767, 0.01 * 32767) << format.sampleRate;
        EXPECT_LT(residual, 0.002 * 32767) << format.sampleRate;
        // The steepest step of the sine itself: 2π × 440 ÷ 16000 × amplitude.
        EXPECT_LT(largestStep, 1.01 * 2 * std::numbers::pi * 440 / 16000 * amplitude);
    }
}

TEST_F(AudioRecorderTest, LevelMovesHalfWayTowardsEachBufferAndIsZeroAtStartAndStop) {
    recorder.startRecording();
    const auto loud = constantBuffer(0.1f);  // any RMS from 0.04 up is full scale
    for (const float expected : {0.5f, 0.75f, 0.875f}) {
        input->deliver(loud);
        EXPECT_FLOAT_EQ(recorder.currentLevel(), expected);
    }
    const auto silence = constantBuffer(0.0f);
    for (const float expected : {0.4375f, 0.21875f, 0.109375f}) {
        input->deliver(silence);
        EXPECT_FLOAT_EQ(recorder.currentLevel(), expected);
    }
    input->deliver(std::vector<float>{});
    EXPECT_FLOAT_EQ(recorder.currentLevel(), 0.109375f) << "an empty buffer changes nothing";

    recorder.stopRecording();
    EXPECT_EQ(recorder.currentLevel(), 0.0f);
    recorder.startRecording();
    EXPECT_EQ(recorder.currentLevel(), 0.0f);
}

TEST_F(AudioRecorderTest, LevelReadsTheFirstChannelOfStereoInput) {
    auto stereo = std::make_shared<FakeAudioInput>(AudioInput::Format{44100, 2});
    AudioRecorder stereoRecorder(stereo);
    stereoRecorder.startRecording();
    std::vector<float> quietLeftLoudRight(captureBufferFrames * 2);
    for (size_t i = 0; i < quietLeftLoudRight.size(); i += 2) {
        quietLeftLoudRight[i] = 0.004f;  // instant level 0.1
        quietLeftLoudRight[i + 1] = 1.0f;
    }
    stereo->deliver(quietLeftLoudRight);
    EXPECT_NEAR(stereoRecorder.currentLevel(), 0.05f, 1e-6f);
}

TEST_F(AudioRecorderTest, FailedStartThrowsWhatFailedStaysIdleAndALaterStartMayTryAgain) {
    input->setStartFailure("No microphone available");
    try {
        recorder.startRecording();
        FAIL() << "start should have thrown";
    } catch (const AudioRecorderError& error) {
        EXPECT_EQ(error.description(), "No microphone available");
    }
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(input->hasHandler());
    EXPECT_TRUE(recorder.stopRecording().isEmpty());

    input->setStartFailure({});
    recorder.startRecording();
    EXPECT_TRUE(recorder.isRecording());
    deliverSine(*input, {48000, 1}, 0.5, 440, 0.5f);
    EXPECT_NEAR(WavData::parse(recorder.stopRecording()).dataSize, 16000.0, 4.0);
}

TEST_F(AudioRecorderTest, PermissionIsGrantedExactlyWhenAnInputExists) {
    EXPECT_TRUE(QCoro::waitFor(recorder.requestPermission()));
    input->setHasInput(false);
    EXPECT_FALSE(QCoro::waitFor(recorder.requestPermission()));
}

// The capture thread keeps delivering while the main thread stops: nothing arrives after the
// hand-over, and the file holds whole buffers only.
TEST_F(AudioRecorderTest, StopTakesTheBufferOverFromARunningCaptureThread) {
    for (int round = 0; round < 20; ++round) {
        recorder.startRecording();
        const int deliveredBefore = input->deliveredCount();
        std::atomic<bool> running{true};
        std::thread capture([&] {
            const auto buffer = constantBuffer(0.1f);
            while (running) {
                input->deliver(buffer);
            }
        });
        while (input->deliveredCount() < deliveredBefore + 3) {
            std::this_thread::yield();
        }
        const QByteArray file = recorder.stopRecording();
        const int deliveredAtStop = input->deliveredCount() - deliveredBefore;
        running = false;
        capture.join();

        EXPECT_EQ(input->deliveredCount() - deliveredBefore, deliveredAtStop)
            << "a buffer reached the recorder after stop";
        EXPECT_NEAR(WavData::parse(file).dataSize, deliveredAtStop * captureBufferFrames / 3.0 * 2,
                    4.0);
    }
}

TEST_F(AudioRecorderTest, PreRollKeepsAudioFromTheLatestKeyDownOnceConfirmed) {
    // A tap: opened at the key-down, closed with nothing kept.
    recorder.startPreRoll();
    EXPECT_TRUE(input->isCapturing());
    EXPECT_FALSE(recorder.isRecording());
    deliverSine(*input, {48000, 1}, 0.5, 440, 0.5f);
    EXPECT_TRUE(recorder.stopRecording().isEmpty()) << "an unconfirmed pre-roll is no recording";
    EXPECT_TRUE(input->isCapturing()) << "and stopping leaves it to its gesture";
    recorder.discardPreRoll();
    EXPECT_FALSE(input->isCapturing());
    EXPECT_FALSE(recorder.isCapturing());

    // A double press: half a second after the first key-down comes the second.
    recorder.startPreRoll();
    deliverSine(*input, {48000, 1}, 0.5, 440, 0.5f);
    recorder.startPreRoll();
    EXPECT_EQ(input->startCount(), 2) << "the open capture goes on";
    deliverSine(*input, {48000, 1}, 0.25, 440, 0.5f);
    recorder.startRecording();
    recorder.discardPreRoll();
    EXPECT_TRUE(recorder.isRecording()) << "a confirmed recording is not discarded";
    deliverSine(*input, {48000, 1}, 0.75, 440, 0.5f);
    EXPECT_NEAR(WavData::parse(recorder.stopRecording()).dataSize, 32000.0, 64.0)
        << "one second from the second key-down";
    EXPECT_FALSE(input->isCapturing());
}

TEST_F(AudioRecorderTest, AFailedPreRollIsReportedByTheStartThatConfirmsIt) {
    input->setStartFailure(QStringLiteral("The audio input could not be opened"));
    recorder.startPreRoll();  // quietly
    EXPECT_FALSE(recorder.isCapturing());
    EXPECT_THROW(recorder.startRecording(), AudioRecorderError);
    EXPECT_FALSE(recorder.isRecording());
    input->setStartFailure({});
    recorder.startRecording();
    EXPECT_TRUE(recorder.isRecording());
}
