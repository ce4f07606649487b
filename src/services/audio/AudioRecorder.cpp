#include "services/audio/AudioRecorder.h"

#include "services/audio/AudioRecorderError.h"
#include "services/audio/StreamingResampler.h"
#include "services/audio/WavEncoder.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

// Everything one recording touches on the capture thread. Only the capture thread uses it
// between start and stop; stop takes it back after the handler is gone.
class AudioRecorder::Recording {
public:
    explicit Recording(AudioInput::Format format)
        : channels(format.channels),
          inputRate(format.sampleRate),
          resampler(format.sampleRate, targetSampleRate) {
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

    // The output sample that corresponds to the input captured so far; read on the main
    // thread to mark a key-down.
    qint64 outputPosition() const {
        return inputFrames.load(std::memory_order_acquire) * targetSampleRate / inputRate;
    }

    const int channels;
    const int inputRate;
    StreamingResampler resampler;
    std::vector<float> mono;
    // Appended on the capture thread, read on the main thread while the recording goes on.
    mutable std::mutex pcmLock;
    QByteArray pcm;
    std::atomic<qint64> inputFrames{0};
    // The first output sample the recording keeps: that of the latest key-down. Main thread.
    qint64 keepFrom = 0;
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

void AudioRecorder::startPreRoll() {
    if (confirmed_) {
        return;
    }
    if (recording_) {
        // Already open since an earlier key-down of the same gesture (the first press of a
        // double press): keep from this key-down on. Input captured before the key-down but
        // delivered after it counts after the mark, so nothing of the key-down is lost.
        recording_->keepFrom = recording_->outputPosition();
        return;
    }
    try {
        open();
    } catch (const std::exception&) {
        // startRecording() tries again and reports what fails.
    }
}

void AudioRecorder::discardPreRoll() {
    if (recording_ && !confirmed_) {
        close();
        audioData_.clear();
    }
}

void AudioRecorder::startRecording() {
    if (confirmed_) {
        return;
    }
    if (!recording_) {
        open();
    }
    confirmed_ = true;
}

void AudioRecorder::open() {
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
    // The handler is removed at close before the recording is released, and at the latest in
    // the destructor, so it never outlives what it points to.
    input_->setBufferHandler(
        [this, recording = recording_.get()](const float* samples, qsizetype frames) {
            onCapturedBuffer(*recording, samples, frames);
        });
}

// Order matters: once the handler is removed no capture callback runs any more, so the
// buffer is ours alone without a lock.
std::unique_ptr<AudioRecorder::Recording> AudioRecorder::close() {
    input_->removeBufferHandler();
    input_->stop();
    confirmed_ = false;
    currentLevel_.store(0.0f);
    return std::move(recording_);
}

QByteArray AudioRecorder::stopRecording() {
    if (!recording_ || !confirmed_) {
        return {};
    }
    std::unique_ptr<Recording> finished = close();
    finished->resampler.flush(finished->pcm);
    const qsizetype keptFrom = std::min<qsizetype>(finished->keepFrom * 2, finished->pcm.size());
    finished->pcm.remove(0, keptFrom);
    audioData_ = std::move(finished->pcm);
    return WavEncoder::createWAVData(audioData_, targetSampleRate, 1, 16);
}

QByteArray AudioRecorder::recordedSince(qsizetype first) const {
    if (!recording_ || !confirmed_) {
        return {};
    }
    const std::lock_guard lock(recording_->pcmLock);
    const qsizetype from = (recording_->keepFrom + first) * 2;
    if (from >= recording_->pcm.size()) {
        return {};
    }
    return recording_->pcm.mid(from);
}

void AudioRecorder::onCapturedBuffer(Recording& recording, const float* interleaved,
                                     qsizetype frames) {
    if (interleaved == nullptr || frames <= 0) {
        return;
    }
    updateLevel(interleaved, frames, recording.channels);
    const float* mono = recording.mixDown(interleaved, frames);
    {
        const std::lock_guard lock(recording.pcmLock);
        recording.resampler.process(mono, frames, recording.pcm);
    }
    recording.inputFrames.fetch_add(frames, std::memory_order_release);
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
