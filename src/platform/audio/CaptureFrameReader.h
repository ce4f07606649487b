#pragma once

#include <QtGlobal>

#include <functional>
#include <vector>

class QIODevice;

// Reads interleaved float frames from a capture device and hands over whole frames only. A read
// may end inside a frame, even inside a sample: those bytes wait for the next read, since
// dropping them would shift every later sample and swap channels.
class CaptureFrameReader {
public:
    using FrameHandler = std::function<void(const float* interleaved, qsizetype frames)>;

    CaptureFrameReader(int channels, qsizetype capacityFrames);

    // Reads everything the device holds now; `deliver` gets each run of complete frames.
    void readFrom(QIODevice& device, const FrameHandler& deliver);
    // Bytes of an incomplete frame waiting for the rest.
    qsizetype pendingBytes() const { return pending_; }

private:
    qsizetype frameBytes_;
    std::vector<float> buffer_;
    qsizetype pending_ = 0;  // at the start of buffer_
};
