#pragma once

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <vector>

// A 16-bit PCM WAV as Quillo writes it (a 44-byte header), read back by a test: the header's
// sizes and the samples. The WAV may stand inside other bytes, such as a multipart upload.
struct WavData {
    quint32 chunkSize = 0;
    quint32 dataSize = 0;
    std::vector<qint16> samples;

    // Nothing when `bytes` holds no WAV header; the samples end with the data chunk's size or
    // with `bytes`, whichever comes first.
    static WavData parse(const QByteArray& bytes) {
        WavData wav;
        const qsizetype riff = bytes.indexOf("RIFF");
        if (riff < 0 || bytes.size() - riff < 44) {
            return wav;
        }
        const char* header = bytes.constData() + riff;
        wav.chunkSize = qFromLittleEndian<quint32>(header + 4);
        wav.dataSize = qFromLittleEndian<quint32>(header + 40);
        const qsizetype available = (bytes.size() - riff - 44) / 2;
        const qsizetype count = std::min<qsizetype>(wav.dataSize / 2, available);
        wav.samples.reserve(static_cast<std::size_t>(count));
        for (qsizetype i = 0; i < count; ++i) {
            wav.samples.push_back(qFromLittleEndian<qint16>(header + 44 + 2 * i));
        }
        return wav;
    }
};
