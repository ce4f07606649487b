#include "platform/linux/CaptureFrameReader.h"

#include <QIODevice>

CaptureFrameReader::CaptureFrameReader(int channels, qsizetype capacityFrames)
    : frameBytes_(static_cast<qsizetype>(sizeof(float)) * channels),
      buffer_(static_cast<size_t>(capacityFrames * channels)) {}

void CaptureFrameReader::readFrom(QIODevice& device, const FrameHandler& deliver) {
    for (;;) {
        const qint64 bytes = device.read(reinterpret_cast<char*>(buffer_.data()),
                                         static_cast<qint64>(buffer_.size() * sizeof(float)));
        const qint64 frames = bytes / frameBytes_;
        if (frames <= 0) {
            return;
        }
        deliver(buffer_.data(), frames);
    }
}
