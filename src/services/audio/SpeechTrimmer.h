#pragma once

#include <QByteArray>

#include <chrono>
#include <optional>

class SpeechDetector;

// Keeps the speech of a recording: leading and trailing silence longer than `margin` goes,
// which makes the upload smaller and leaves speech-to-text services nothing to invent a
// sentence from.
class SpeechTrimmer {
public:
    static constexpr std::chrono::milliseconds margin{300};

    SpeechTrimmer() = delete;

    // `wav` is the recorder's file (44-byte header, 16 kHz mono 16-bit). The trimmed file, or
    // none when it holds no speech.
    static std::optional<QByteArray> keepSpeech(const QByteArray& wav,
                                                const SpeechDetector& detector);
};
