#include "platform/audio/CaptureFrameReader.h"

#include <QIODevice>

#include <cstring>

CaptureFrameReader::CaptureFrameReader(int channels, qsizetype capacityFrames)
    : frameBytes_(static_cast<qsizetype>(sizeof(float)) * channels),
      buffer_(static_cast<size_t>(capacityFrames * channels)) {}

void CaptureFrameReader::readFrom(QIODevice& device, const FrameHandler& deliver) {
    auto* bytes = reinterpret_cast<char*>(buffer_.data());
    const auto capacity = static_cast<qsizetype>(buffer_.size() * sizeof(float));
    for (;;) {
        const qint64 read = device.read(bytes + pending_, capacity - pending_);
        if (read <= 0) {
            return;
        }
        const qsizetype filled = pending_ + static_cast<qsizetype>(read);
        const qsizetype frames = filled / frameBytes_;
        if (frames > 0) {
            deliver(buffer_.data(), frames);
        }
        pending_ = filled - frames * frameBytes_;
        if (pending_ > 0 && frames > 0) {
            std::memmove(bytes, bytes + frames * frameBytes_, static_cast<size_t>(pending_));
        }
    }
}
