#include "platform/audio/CaptureFrameReader.h"

#include <QIODevice>

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <vector>

namespace {

// A capture device whose reads end wherever the sound server's fragments end: each readyRead
// makes one chunk of bytes available, with no regard for frame or sample borders.
class ChunkedDevice : public QIODevice {
public:
    ChunkedDevice() { open(QIODevice::ReadOnly); }

    void arrive(const QByteArray& chunk) { available_ += chunk; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min<qint64>(maxSize, available_.size());
        std::memcpy(data, available_.constData(), static_cast<size_t>(n));
        available_.remove(0, n);
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return available_.size() + QIODevice::bytesAvailable();
    }

private:
    QByteArray available_;
};

QByteArray bytesOf(const std::vector<float>& samples) {
    return QByteArray(reinterpret_cast<const char*>(samples.data()),
                      static_cast<qsizetype>(samples.size() * sizeof(float)));
}

struct Delivered {
    std::vector<float> samples;
    int calls = 0;
};

// Feeds `source` in chunks of the given sizes (cycled) and collects what the reader delivers.
Delivered readInChunks(const std::vector<float>& source, int channels, qsizetype capacityFrames,
                       const std::vector<qsizetype>& chunkSizes) {
    const QByteArray bytes = bytesOf(source);
    ChunkedDevice device;
    CaptureFrameReader reader(channels, capacityFrames);
    Delivered delivered;
    const auto collect = [&](const float* interleaved, qsizetype frames) {
        EXPECT_EQ(reinterpret_cast<quintptr>(interleaved) % alignof(float), 0u);
        delivered.samples.insert(delivered.samples.end(), interleaved,
                                 interleaved + frames * channels);
        ++delivered.calls;
    };
    qsizetype offset = 0;
    for (size_t i = 0; offset < bytes.size(); ++i) {
        const qsizetype size = chunkSizes[i % chunkSizes.size()];
        device.arrive(bytes.mid(offset, size));
        offset += size;
        reader.readFrom(device, collect);
    }
    return delivered;
}

std::vector<float> ramp(size_t count) {
    std::vector<float> samples(count);
    for (size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<float>(i) * 0.001f - 0.5f;
    }
    return samples;
}

}  // namespace

TEST(CaptureFrameReader, OddSizedReadsLoseNoSampleAndKeepFramesAligned) {
    // Stereo: a frame is 8 bytes, so chunks of 3, 7 and 13 bytes split samples and frames.
    const std::vector<float> source = ramp(2 * 500);
    const Delivered delivered = readInChunks(source, 2, 64, {3, 7, 13, 1, 8, 9});
    EXPECT_EQ(delivered.samples, source) << "every sample arrives once, in order, left/right kept";
}

TEST(CaptureFrameReader, APartialFrameWaitsForTheRestAndAWholeFrameNeverWaits) {
    const std::vector<float> source = ramp(2 * 4);
    const QByteArray bytes = bytesOf(source);
    ChunkedDevice device;
    CaptureFrameReader reader(2, 64);
    std::vector<float> delivered;
    const auto collect = [&](const float* interleaved, qsizetype frames) {
        delivered.insert(delivered.end(), interleaved, interleaved + frames * 2);
    };

    device.arrive(bytes.left(5));  // less than one frame: nothing to hand over yet
    reader.readFrom(device, collect);
    EXPECT_TRUE(delivered.empty());
    EXPECT_EQ(reader.pendingBytes(), 5);

    device.arrive(bytes.mid(5, 11));  // completes frames 1 and 2 exactly
    reader.readFrom(device, collect);
    EXPECT_EQ(delivered, std::vector<float>(source.begin(), source.begin() + 4));
    EXPECT_EQ(reader.pendingBytes(), 0);

    device.arrive(bytes.mid(16));
    reader.readFrom(device, collect);
    EXPECT_EQ(delivered, source);
}

TEST(CaptureFrameReader, ReadsLargerThanTheBufferAreDeliveredInSeveralRuns) {
    // Mono, 10 frames of room: a 1000-byte chunk arrives in several runs of whole frames.
    const std::vector<float> source = ramp(1000);
    const Delivered delivered = readInChunks(source, 1, 10, {1001, 999, 2});
    EXPECT_EQ(delivered.samples, source);
    EXPECT_GE(delivered.calls, 100) << "no run holds more than the buffer's 10 frames";
}
