#pragma once

#include <QtGlobal>

#include <optional>

// Finds where someone speaks in a recording of 16 kHz mono 16-bit PCM.
class SpeechDetector {
public:
    static constexpr int sampleRate = 16000;

    // From the first to just past the last sample of speech.
    struct Span {
        qsizetype begin = 0;
        qsizetype end = 0;
        bool operator==(const Span&) const = default;
    };

    virtual ~SpeechDetector() = default;
    // None when the recording holds no speech (silence, room noise, a key bump).
    virtual std::optional<Span> findSpeech(const qint16* samples, qsizetype count) const = 0;
};
