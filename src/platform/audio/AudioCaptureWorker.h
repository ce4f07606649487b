#pragma once

#include "platform/audio/CaptureFrameReader.h"
#include "platform/AudioInput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>

#include <memory>
#include <mutex>
#include <optional>

class QAudioSource;
class QIODevice;

// Lives on the capture thread: owns the QAudioSource there and hands each buffer it reads to
// the handler. The handler may be set and removed from any thread.
class AudioCaptureWorker : public QObject {
    Q_OBJECT
public:
    explicit AudioCaptureWorker(QObject* parent = nullptr);
    ~AudioCaptureWorker() override;

    void setHandler(AudioInput::BufferHandler handler);
    void removeHandler();

    // Capture thread only. Returns what failed, or an empty string.
    QString open(const QAudioDevice& device, const QAudioFormat& format);
    void close();
    // Capture thread only: hands over what the sound server has delivered and no read picked
    // up yet, so a recording stopped now ends with the audio captured up to now.
    void drain() { readAvailable(); }

private:
    void readAvailable();

    std::unique_ptr<QAudioSource> source_;
    QIODevice* stream_ = nullptr;  // owned by source_
    std::optional<CaptureFrameReader> reader_;

    // Held for one buffer at a time, so removing the handler waits for a running call.
    std::mutex handlerMutex_;
    AudioInput::BufferHandler handler_;
};
