#pragma once

#include "platform/AudioInput.h"

#include <atomic>
#include <memory>

// A real input that counts the audio it delivers, so that a test waits for an amount of heard
// audio, and compares a recording with what was delivered, instead of trusting the wall clock.
class CountingAudioInput final : public AudioInput {
public:
    explicit CountingAudioInput(std::shared_ptr<AudioInput> input) : input_(std::move(input)) {}

    bool hasInput() const override { return input_->hasInput(); }
    StartResult start() override {
        const StartResult result = input_->start();
        if (result.format)
            sampleRate_ = result.format->sampleRate;
        return result;
    }
    void setBufferHandler(BufferHandler handler) override {
        input_->setBufferHandler(
            [this, handler = std::move(handler)](const float* interleaved, qsizetype frames) {
                frames_ += frames;
                handler(interleaved, frames);
            });
    }
    void removeBufferHandler() override { input_->removeBufferHandler(); }
    void stop() override { input_->stop(); }

    // Everything delivered so far, in milliseconds of audio at the device's rate.
    double heardMs() const {
        const int rate = sampleRate_.load();
        return rate > 0 ? static_cast<double>(frames_.load()) * 1000.0 / rate : 0.0;
    }

private:
    std::shared_ptr<AudioInput> input_;
    std::atomic<qint64> frames_{0};
    std::atomic<int> sampleRate_{0};
};
