#pragma once

#include "platform/AudioInput.h"

#include <mutex>
#include <vector>

// An input the test feeds by hand. deliver() plays the capture thread; it may be called from
// any thread.
class FakeAudioInput : public AudioInput {
public:
    explicit FakeAudioInput(Format format = {48000, 1}) : format_(format) {}

    // Configuration.
    void setHasInput(bool hasInput) { hasInput_ = hasInput; }
    // Every start fails with this text until it is set to empty.
    void setStartFailure(QString error) { failure_ = std::move(error); }
    void setFormat(Format format) { format_ = format; }

    // Hands one buffer to the handler, if there is one. Returns whether it was taken.
    bool deliver(const float* interleaved, qsizetype frames);
    bool deliver(const std::vector<float>& interleaved);

    // Observation.
    int startCount() const { return startCount_; }
    // Buffers the handler has finished with.
    int deliveredCount() const;
    bool isCapturing() const { return capturing_; }
    bool hasHandler() const;

    bool hasInput() const override { return hasInput_; }
    StartResult start() override;
    void setBufferHandler(BufferHandler handler) override;
    void removeBufferHandler() override;
    void stop() override { capturing_ = false; }

private:
    Format format_;
    bool hasInput_ = true;
    QString failure_;
    int startCount_ = 0;
    bool capturing_ = false;
    mutable std::mutex mutex_;
    BufferHandler handler_;
    int delivered_ = 0;
};
