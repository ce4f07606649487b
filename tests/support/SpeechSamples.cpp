#include "support/SpeechSamples.h"

#include <QFile>

#include <cstring>

#include <algorithm>
#include <cmath>
#include <random>

namespace SpeechSamples {

std::vector<qint16> utterance() {
    QFile file(QStringLiteral(QUILLO_TEST_DATA_DIR "/utterance-16k-s16le.raw"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    std::vector<qint16> samples(static_cast<std::size_t>(bytes.size() / 2));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);  // s16le, as we run
    return samples;
}

std::vector<qint16> silence(double seconds) {
    return std::vector<qint16>(static_cast<std::size_t>(std::lround(seconds * 16000)), 0);
}

std::vector<qint16> noise(double seconds, double dbfs, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> gaussian(0.0, 32768.0 * std::pow(10.0, dbfs / 20.0));
    std::vector<qint16> samples(static_cast<std::size_t>(std::lround(seconds * 16000)));
    for (qint16& sample : samples) {
        sample = static_cast<qint16>(std::clamp(std::lround(gaussian(random)), -32768L, 32767L));
    }
    return samples;
}

void mixInto(std::vector<qint16>& a, const std::vector<qint16>& b, std::size_t at) {
    if (a.size() < at + b.size()) {
        a.resize(at + b.size(), 0);
    }
    for (std::size_t i = 0; i < b.size(); ++i) {
        a[at + i] = static_cast<qint16>(std::clamp(a[at + i] + b[i], -32768, 32767));
    }
}

std::vector<qint16> concat(std::initializer_list<std::vector<qint16>> parts) {
    std::vector<qint16> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

namespace {

std::vector<double> decimate(const std::vector<qint16>& samples, int factor) {
    std::vector<double> out(samples.size() / static_cast<std::size_t>(factor));
    for (std::size_t i = 0; i < out.size(); ++i) {
        double sum = 0;
        for (int j = 0; j < factor; ++j) {
            sum += samples[i * static_cast<std::size_t>(factor) + static_cast<std::size_t>(j)];
        }
        out[i] = sum / factor;
    }
    return out;
}

template <typename T>
double energy(const std::vector<T>& samples) {
    double sum = 0;
    for (const T& x : samples) {
        sum += static_cast<double>(x) * static_cast<double>(x);
    }
    return sum;
}

// Normalised by the whole needle, so a small overlap cannot score high.
template <typename T>
double correlation(const std::vector<T>& haystack, const std::vector<T>& needle,
                   double needleEnergy, long offset) {
    double dot = 0;
    double a2 = 0;
    const long first = std::max(0L, -offset);
    const long last =
        std::min(static_cast<long>(needle.size()), static_cast<long>(haystack.size()) - offset);
    for (long i = first; i < last; ++i) {
        const double a = haystack[static_cast<std::size_t>(i + offset)];
        const double b = needle[static_cast<std::size_t>(i)];
        dot += a * b;
        a2 += a * a;
    }
    return a2 > 0 && needleEnergy > 0 ? dot / std::sqrt(a2 * needleEnergy) : 0.0;
}

}  // namespace

// Coarse search on 16-fold decimated audio, then the exact sample around the best match.
Alignment align(const std::vector<qint16>& haystack, const std::vector<qint16>& needle) {
    constexpr int factor = 16;
    const std::vector<double> coarseHay = decimate(haystack, factor);
    const std::vector<double> coarseNeedle = decimate(needle, factor);
    const double coarseEnergy = energy(coarseNeedle);
    const double needleEnergy = energy(needle);
    Alignment best{0, -2};
    for (long offset = -static_cast<long>(coarseNeedle.size());
         offset < static_cast<long>(coarseHay.size()); ++offset) {
        const double score = correlation(coarseHay, coarseNeedle, coarseEnergy, offset);
        if (score > best.score) {
            best = {offset * factor, score};
        }
    }
    Alignment fine{best.offset, -2};
    for (long offset = best.offset - 2 * factor; offset <= best.offset + 2 * factor; ++offset) {
        const double score = correlation(haystack, needle, needleEnergy, offset);
        if (score > fine.score) {
            fine = {offset, score};
        }
    }
    return fine;
}

}  // namespace SpeechSamples
