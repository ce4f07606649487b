#include "services/audio/SpeechTrimmer.h"

#include "services/audio/SpeechDetector.h"
#include "services/audio/WavEncoder.h"

#include <algorithm>

namespace {

constexpr qsizetype headerSize = 44;

}  // namespace

std::optional<QByteArray> SpeechTrimmer::keepSpeech(const QByteArray& wav,
                                                    const SpeechDetector& detector) {
    if (wav.size() <= headerSize) {
        return std::nullopt;
    }
    const auto* samples = reinterpret_cast<const qint16*>(wav.constData() + headerSize);
    const qsizetype count = (wav.size() - headerSize) / 2;
    const std::optional<SpeechDetector::Span> speech = detector.findSpeech(samples, count);
    if (!speech) {
        return std::nullopt;
    }
    const qsizetype pad = SpeechDetector::sampleRate * margin.count() / 1000;
    const qsizetype begin = std::max<qsizetype>(0, speech->begin - pad);
    const qsizetype end = std::min<qsizetype>(count, speech->end + pad);
    if (begin == 0 && end == count) {
        return wav;
    }
    const QByteArray pcm = wav.mid(headerSize + begin * 2, (end - begin) * 2);
    return WavEncoder::createWAVData(pcm, SpeechDetector::sampleRate, 1, 16);
}
