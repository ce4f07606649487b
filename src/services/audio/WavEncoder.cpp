#include "services/audio/WavEncoder.h"

#include <QtEndian>

namespace {

void appendLE32(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLE16(QByteArray& out, std::uint16_t value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

}  // namespace

QByteArray WavEncoder::createWAVData(const QByteArray& pcm, std::uint32_t sampleRate,
                                     std::uint16_t channels, std::uint16_t bitsPerSample) {
    const auto dataSize = static_cast<std::uint32_t>(pcm.size());
    const std::uint32_t byteRate = sampleRate * channels * bitsPerSample / 8;
    const auto blockAlign = static_cast<std::uint16_t>(channels * bitsPerSample / 8);

    QByteArray wav;
    wav.reserve(headerSize + pcm.size());
    wav.append("RIFF", 4);
    appendLE32(wav, dataSize + 36);
    wav.append("WAVE", 4);
    wav.append("fmt ", 4);
    appendLE32(wav, 16);
    appendLE16(wav, 1);  // linear PCM
    appendLE16(wav, channels);
    appendLE32(wav, sampleRate);
    appendLE32(wav, byteRate);
    appendLE16(wav, blockAlign);
    appendLE16(wav, bitsPerSample);
    wav.append("data", 4);
    appendLE32(wav, dataSize);
    wav.append(pcm);
    return wav;
}
