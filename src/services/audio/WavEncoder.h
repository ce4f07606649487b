#pragma once

#include <QByteArray>

#include <cstdint>

// A RIFF/WAVE file of linear PCM: the 44-byte header and the samples, nothing else.
class WavEncoder {
public:
    static constexpr int headerSize = 44;

    // Byte rate and block align are derived by truncating integer division. Channels and
    // bits per sample must fit in 16 bits, the sample rate, byte rate and size + 36 in 32 bits.
    static QByteArray createWAVData(const QByteArray& pcm, std::uint32_t sampleRate,
                                    std::uint16_t channels, std::uint16_t bitsPerSample);
};
