#include "services/audio/StreamingResampler.h"

#include "services/audio/AudioRecorderError.h"

#include <QtEndian>

#include <soxr.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr size_t flushChunkFrames = 4096;

}  // namespace

StreamingResampler::StreamingResampler(double inputRate, double outputRate)
    : ratio_(outputRate / inputRate) {
    // soxr rounds and clips to 16 bits itself; no dither, so silence stays exactly zero and
    // the same input always gives the same file.
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_INT16_I);
    soxr_io_spec_t undithered = io;
    undithered.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    // The capture thread is the only one doing this work: no helper threads.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    soxr_ = soxr_create(inputRate, outputRate, 1, &error, &undithered, &quality, &runtime);
    if (error != nullptr) {
        soxr_delete(soxr_);
        soxr_ = nullptr;
        throw AudioRecorderError(
            QStringLiteral("Could not create the resampler: %1").arg(QString::fromUtf8(error)));
    }
}

StreamingResampler::~StreamingResampler() {
    soxr_delete(soxr_);
}

void StreamingResampler::process(const float* mono, qsizetype frames, QByteArray& pcm) {
    // soxr may hold back input when the output is full; keep feeding until it took all of it.
    while (frames > 0) {
        const auto capacity = static_cast<size_t>(std::ceil(frames * ratio_)) + 64;
        size_t consumed = 0;
        const size_t produced = run(mono, static_cast<size_t>(frames), &consumed, capacity, pcm);
        if (consumed == 0 && produced == 0) {
            return;
        }
        mono += consumed;
        frames -= static_cast<qsizetype>(consumed);
    }
}

void StreamingResampler::flush(QByteArray& pcm) {
    while (run(nullptr, 0, nullptr, flushChunkFrames, pcm) > 0) {
    }
}

// Lets soxr write straight behind the PCM gathered so far.
size_t StreamingResampler::run(const float* input, size_t frames, size_t* consumed, size_t capacity,
                               QByteArray& pcm) {
    const qsizetype start = pcm.size();
    pcm.resize(start + static_cast<qsizetype>(capacity * sizeof(std::int16_t)));
    auto* out = reinterpret_cast<std::int16_t*>(pcm.data() + start);
    size_t produced = 0;
    soxr_process(soxr_, input, frames, consumed, out, capacity, &produced);
    if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) {
        for (size_t i = 0; i < produced; ++i) {
            out[i] = qToLittleEndian(out[i]);
        }
    }
    pcm.resize(start + static_cast<qsizetype>(produced * sizeof(std::int16_t)));
    return produced;
}
