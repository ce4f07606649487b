#pragma once

#include <QtGlobal>

#include <functional>
#include <vector>

class QIODevice;

// Reads interleaved float frames from a capture device and hands over whole frames only.
class CaptureFrameReader {
public:
    using FrameHandler = std::function<void(const float* interleaved, qsizetype frames)>;

    CaptureFrameReader(int channels, qsizetype capacityFrames);

    // Reads everything the device holds now; `deliver` gets each run of complete frames.
    void readFrom(QIODevice& device, const FrameHandler& deliver);

private:
    qsizetype frameBytes_;
    std::vector<float> buffer_;
};
