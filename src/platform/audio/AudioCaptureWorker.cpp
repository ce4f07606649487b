#include "platform/audio/AudioCaptureWorker.h"

#include <QAudioSource>
#include <QIODevice>

namespace {

// Short fragments keep the first buffer close to the start of capture.
constexpr int fragmentMilliseconds = 10;
constexpr qsizetype readCapacityFrames = 8192;

QString describe(QAudio::Error error) {
    switch (error) {
        case QAudio::OpenError:
            return QStringLiteral("The audio input could not be opened");
        case QAudio::IOError:
            return QStringLiteral("The audio input could not be read");
        case QAudio::UnderrunError:
            return QStringLiteral("The audio input delivered no data");
        case QAudio::FatalError:
            return QStringLiteral("The sound server is not available");
        case QAudio::NoError:
            break;
    }
    return {};
}

}  // namespace

AudioCaptureWorker::AudioCaptureWorker(QObject* parent) : QObject(parent) {}

AudioCaptureWorker::~AudioCaptureWorker() = default;

void AudioCaptureWorker::setHandler(AudioInput::BufferHandler handler) {
    std::lock_guard lock(handlerMutex_);
    handler_ = std::move(handler);
}

void AudioCaptureWorker::removeHandler() {
    std::lock_guard lock(handlerMutex_);
    handler_ = nullptr;
}

QString AudioCaptureWorker::open(const QAudioDevice& device, const QAudioFormat& format) {
    close();
    reader_.emplace(format.channelCount(), readCapacityFrames);

    source_ = std::make_unique<QAudioSource>(device, format);
    source_->setBufferSize(format.bytesForDuration(fragmentMilliseconds * 1000));
    stream_ = source_->start();
    if (stream_ == nullptr || source_->error() != QAudio::NoError) {
        const QString failure = describe(source_->error());
        close();
        return QStringLiteral("%1: %2").arg(
            failure.isEmpty() ? QStringLiteral("The audio input could not be started") : failure,
            device.description());
    }
    connect(stream_, &QIODevice::readyRead, this, &AudioCaptureWorker::readAvailable);
    return {};
}

void AudioCaptureWorker::close() {
    if (!source_) {
        return;
    }
    if (stream_ != nullptr) {
        disconnect(stream_, nullptr, this, nullptr);
        stream_ = nullptr;
    }
    source_->stop();
    source_.reset();
}

void AudioCaptureWorker::readAvailable() {
    if (stream_ == nullptr || !reader_) {
        return;
    }
    reader_->readFrom(*stream_, [this](const float* interleaved, qsizetype frames) {
        std::lock_guard lock(handlerMutex_);
        if (handler_) {
            handler_(interleaved, frames);
        }
    });
}
