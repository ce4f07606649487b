#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Reads the recorder's WAV files (16-bit PCM, 16 kHz, one channel) back into samples.
class WavDecoder {
public:
    struct Result {
        std::vector<float> samples;  // -1..1
        QString error;               // empty on success
    };

    static Result decode(const QByteArray& wav);
};
