#pragma once

#include <QtGlobal>

#include <memory>
#include <optional>
#include <vector>

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

    static constexpr int frameSamples = sampleRate / 100;  // 10 ms

    // One 10 ms frame as the detector hears it.
    struct Frame {
        double levelDb = -120.0;  // dBFS
        bool voiced = false;      // a voice, by the detector's model, whatever its level
    };

    // Hears a recording frame by frame as it arrives, keeping what the model learnt so far.
    class FrameClassifier {
    public:
        virtual ~FrameClassifier() = default;
        // Appends one Frame per whole frame of `samples` (`count` a multiple of frameSamples).
        virtual void classify(const qint16* samples, qsizetype count, std::vector<Frame>& out) = 0;
    };

    virtual ~SpeechDetector() = default;
    // None when the recording holds no speech (silence, room noise, a key bump).
    virtual std::optional<Span> findSpeech(const qint16* samples, qsizetype count) const = 0;
    // A classifier for one recording heard while it is made.
    virtual std::unique_ptr<FrameClassifier> frameClassifier() const = 0;
};
