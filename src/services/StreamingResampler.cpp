#include "services/StreamingResampler.h"

#include "services/AudioRecorderError.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr qsizetype minimumOutputCapacity = 4096;

std::int16_t toInt16(float sample) {
    const float clamped = std::clamp(sample, -1.0f, 1.0f);
    return static_cast<std::int16_t>(std::lrint(clamped * 32767.0f));
}

}  // namespace

StreamingResampler::StreamingResampler(double inputRate, double outputRate)
    : ratio_(outputRate / inputRate), output_(minimumOutputCapacity) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    // The capture thread is the only one doing this work: no helper threads.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    soxr_ = soxr_create(inputRate, outputRate, 1, &error, &io, &quality, &runtime);
    if (error != nullptr) {
        soxr_delete(soxr_);
        soxr_ = nullptr;
        throw AudioRecorderError(QStringLiteral("Could not create the resampler: %1")
                                     .arg(QString::fromUtf8(error)));
    }
}

StreamingResampler::~StreamingResampler() { soxr_delete(soxr_); }

void StreamingResampler::process(const float* mono, qsizetype frames, QByteArray& pcm) {
    const auto needed = static_cast<qsizetype>(std::ceil(frames * ratio_)) + 64;
    if (needed > static_cast<qsizetype>(output_.size())) {
        output_.resize(static_cast<size_t>(needed));
    }
    // soxr may hold back input when the output is full; keep feeding until it took all of it.
    while (frames > 0) {
        size_t consumed = 0;
        size_t produced = 0;
        soxr_process(soxr_, mono, static_cast<size_t>(frames), &consumed, output_.data(),
                     output_.size(), &produced);
        appendAsInt16(static_cast<qsizetype>(produced), pcm);
        if (consumed == 0 && produced == 0) {
            break;
        }
        mono += consumed;
        frames -= static_cast<qsizetype>(consumed);
    }
}

void StreamingResampler::flush(QByteArray& pcm) {
    for (;;) {
        size_t produced = 0;
        soxr_process(soxr_, nullptr, 0, nullptr, output_.data(), output_.size(), &produced);
        if (produced == 0) {
            return;
        }
        appendAsInt16(static_cast<qsizetype>(produced), pcm);
    }
}

void StreamingResampler::appendAsInt16(qsizetype frames, QByteArray& pcm) {
    if (frames == 0) {
        return;
    }
    const qsizetype start = pcm.size();
    pcm.resize(start + frames * 2);
    auto* out = reinterpret_cast<unsigned char*>(pcm.data() + start);
    for (qsizetype i = 0; i < frames; ++i) {
        const auto value = static_cast<std::uint16_t>(toInt16(output_[static_cast<size_t>(i)]));
        out[2 * i] = static_cast<unsigned char>(value & 0xff);
        out[2 * i + 1] = static_cast<unsigned char>(value >> 8);
    }
}
