#pragma once

#include "services/audio/AudioLevelSource.h"

// A level the test sets by hand; counts how often it was read.
class FakeAudioLevelSource final : public AudioLevelSource {
public:
    explicit FakeAudioLevelSource(float level = 0) : level_(level) {}

    float currentLevel() const override {
        ++reads_;
        return level_;
    }
    void setLevel(float level) { level_ = level; }
    int readCount() const { return reads_; }

private:
    float level_;
    mutable int reads_ = 0;
};
