#include "support/FakeAudioInput.h"

#include <algorithm>

bool FakeAudioInput::deliver(const float* interleaved, qsizetype frames) {
    std::lock_guard lock(mutex_);
    if (!handler_) {
        return false;
    }
    handler_(interleaved, frames);
    ++delivered_;
    return true;
}

bool FakeAudioInput::deliver(const std::vector<float>& interleaved) {
    return deliver(interleaved.data(),
                   static_cast<qsizetype>(interleaved.size()) / std::max(format_.channels, 1));
}

int FakeAudioInput::deliveredCount() const {
    std::lock_guard lock(mutex_);
    return delivered_;
}

bool FakeAudioInput::hasHandler() const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(handler_);
}

AudioInput::StartResult FakeAudioInput::start() {
    ++startCount_;
    if (!failure_.isEmpty()) {
        return {std::nullopt, failure_};
    }
    capturing_ = true;
    return {format_, {}};
}

void FakeAudioInput::setBufferHandler(BufferHandler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void FakeAudioInput::removeBufferHandler() {
    std::lock_guard lock(mutex_);
    handler_ = nullptr;
}
