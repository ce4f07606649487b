#include "services/audio/WavDecoder.h"

#include <QtEndian>

namespace {

constexpr int sampleRate = 16000;

quint32 u32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}
quint16 u16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}

}  // namespace

WavDecoder::Result WavDecoder::decode(const QByteArray& wav) {
    Result result;
    if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE") {
        result.error = QStringLiteral("not a RIFF/WAVE file");
        return result;
    }
    bool formatSeen = false;
    qsizetype pos = 12;
    while (pos + 8 <= wav.size()) {
        const char* chunk = wav.constData() + pos;
        const QByteArray id(chunk, 4);
        const qsizetype size = u32(chunk + 4);
        const qsizetype body = pos + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > wav.size()) {
                result.error = QStringLiteral("truncated format chunk");
                return result;
            }
            const char* f = wav.constData() + body;
            if (u16(f) != 1 || u16(f + 2) != 1 || u32(f + 4) != sampleRate || u16(f + 14) != 16) {
                result.error = QStringLiteral("expected 16-bit PCM, 16 kHz, mono");
                return result;
            }
            formatSeen = true;
        } else if (id == "data") {
            if (!formatSeen) {
                result.error = QStringLiteral("data before format");
                return result;
            }
            // A recorder that stopped abruptly may leave a short data chunk: take what is there.
            const qsizetype available = std::min(size, wav.size() - body) / 2;
            result.samples.resize(static_cast<size_t>(available));
            const char* data = wav.constData() + body;
            for (qsizetype i = 0; i < available; ++i) {
                result.samples[static_cast<size_t>(i)] =
                    static_cast<float>(qFromLittleEndian<qint16>(data + 2 * i)) / 32768.0f;
            }
            return result;
        }
        pos = body + size + (size & 1);
    }
    result.error = QStringLiteral("no data chunk");
    return result;
}
