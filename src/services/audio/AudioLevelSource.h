#pragma once

// The input level (0 to 1) that the waveform shows while recording.
class AudioLevelSource {
public:
    virtual ~AudioLevelSource() = default;
    virtual float currentLevel() const = 0;
};
