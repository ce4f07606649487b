#pragma once

#include <QByteArray>

#include <cstddef>

struct soxr;

// One continuous stream of mono float samples resampled to 16-bit signed little-endian PCM.
// Keeps the filter state across buffers, so buffer boundaries leave no trace; flush() drains
// what the filter still holds at the end of the stream.
class StreamingResampler {
public:
    // Throws AudioRecorderError when the resampler cannot be created.
    StreamingResampler(double inputRate, double outputRate);
    ~StreamingResampler();
    StreamingResampler(const StreamingResampler&) = delete;
    StreamingResampler& operator=(const StreamingResampler&) = delete;

    void process(const float* mono, qsizetype frames, QByteArray& pcm);
    void flush(QByteArray& pcm);

private:
    size_t run(const float* input, size_t frames, size_t* consumed, size_t capacity,
               QByteArray& pcm);

    soxr* soxr_ = nullptr;
    double ratio_;
};
