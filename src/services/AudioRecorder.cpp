#include "services/AudioRecorder.h"

#include "services/AudioRecorderError.h"
#include "services/StreamingResampler.h"
#include "services/WavEncoder.h"

#include <cmath>
#include <vector>

// Everything one recording touches on the capture thread. Only the capture thread uses it
// between start and stop; stop takes it back after the handler is gone.
class AudioRecorder::Recording {
public:
    explicit Recording(AudioInput::Format format)
        : channels(format.channels), resampler(format.sampleRate, targetSampleRate) {
        // Room for half a minute, so the capture thread rarely reallocates.
        pcm.reserve(30 * targetSampleRate * 2);
    }

    // Averages the channels; mono input is used in place.
    const float* mixDown(const float* interleaved, qsizetype frames) {
        if (channels == 1) {
            return interleaved;
        }
        mono.resize(static_cast<size_t>(frames));
        const float scale = 1.0f / static_cast<float>(channels);
        for (qsizetype frame = 0; frame < frames; ++frame) {
            const float* samples = interleaved + frame * channels;
            float sum = 0.0f;
            for (int channel = 0; channel < channels; ++channel) {
                sum += samples[channel];
            }
            mono[static_cast<size_t>(frame)] = sum * scale;
        }
        return mono.data();
    }

    const int channels;
    StreamingResampler resampler;
    std::vector<float> mono;
    QByteArray pcm;
};

AudioRecorder::AudioRecorder(std::shared_ptr<AudioInput> input) : input_(std::move(input)) {}

AudioRecorder::~AudioRecorder() {
    if (recording_) {
        input_->removeBufferHandler();
        input_->stop();
    }
}

QCoro::Task<bool> AudioRecorder::requestPermission() {
    co_return input_->hasInput();
}

void AudioRecorder::startRecording() {
    if (recording_) {
        return;
    }
    audioData_.clear();
    currentLevel_.store(0.0f);

    const AudioInput::StartResult started = input_->start();
    if (!started.format) {
        throw AudioRecorderError(
            started.error.isEmpty() ? QStringLiteral("Could not start recording") : started.error);
    }
    try {
        recording_ = std::make_unique<Recording>(*started.format);
    } catch (...) {
        input_->stop();
        throw;
    }
    // The handler is removed at stop before the recording is released, and at the latest in
    // the destructor, so it never outlives what it points to.
    input_->setBufferHandler(
        [this, recording = recording_.get()](const float* samples, qsizetype frames) {
            onCapturedBuffer(*recording, samples, frames);
        });
}

QByteArray AudioRecorder::stopRecording() {
    if (!recording_) {
        return {};
    }
    // Order matters: once the handler is removed no capture callback runs any more, so the
    // buffer below is ours alone without a lock.
    input_->removeBufferHandler();
    input_->stop();
    std::unique_ptr<Recording> finished = std::move(recording_);
    finished->resampler.flush(finished->pcm);
    audioData_ = std::move(finished->pcm);
    currentLevel_.store(0.0f);
    return WavEncoder::createWAVData(audioData_, targetSampleRate, 1, 16);
}

void AudioRecorder::onCapturedBuffer(Recording& recording, const float* interleaved,
                                     qsizetype frames) {
    if (interleaved == nullptr || frames <= 0) {
        return;
    }
    updateLevel(interleaved, frames, recording.channels);
    recording.resampler.process(recording.mixDown(interleaved, frames), frames, recording.pcm);
}

// Root mean square of the first channel, amplified so that speech fills the scale, and moved
// half-way from the previous level so the waveform does not flicker.
void AudioRecorder::updateLevel(const float* interleaved, qsizetype frames, int channels) {
    // Eight partial sums let the compiler use vector registers; still 32-bit float.
    float partial[8] = {};
    qsizetype frame = 0;
    if (channels == 1) {
        for (; frame + 8 <= frames; frame += 8) {
            for (int lane = 0; lane < 8; ++lane) {
                partial[lane] += interleaved[frame + lane] * interleaved[frame + lane];
            }
        }
    }
    for (; frame < frames; ++frame) {
        const float sample = interleaved[frame * channels];
        partial[0] += sample * sample;
    }
    float sumOfSquares = 0.0f;
    for (const float sum : partial) {
        sumOfSquares += sum;
    }
    const float rms = std::sqrt(sumOfSquares / static_cast<float>(frames));
    const float instant = std::min(rms * 25.0f, 1.0f);
    const float previous = currentLevel_.load(std::memory_order_relaxed);
    currentLevel_.store(instant * 0.5f + previous * 0.5f, std::memory_order_relaxed);
}
