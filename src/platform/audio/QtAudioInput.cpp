#include "platform/audio/QtAudioInput.h"

#include "base/Log.h"
#include "platform/audio/AudioCaptureWorker.h"
#include "platform/audio/PulseDefaultSource.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>

namespace {

// Asked on the main thread at every start; a local server answers in a few milliseconds,
// and a hung one must not freeze the hotkey for longer than this.
constexpr std::chrono::milliseconds serverQueryTimeout{250};

QAudioFormat captureFormat(const QAudioDevice& device) {
    const QAudioFormat preferred = device.preferredFormat();
    QAudioFormat format;
    format.setSampleRate(preferred.sampleRate() > 0 ? preferred.sampleRate() : 48000);
    format.setChannelCount(preferred.channelCount() > 0 ? preferred.channelCount() : 1);
    format.setSampleFormat(QAudioFormat::Float);
    return format;
}

}  // namespace

QtAudioInput::QtAudioInput() : worker_(new AudioCaptureWorker) {
    thread_.setObjectName(QStringLiteral("QuilloCapture"));
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start(QThread::TimeCriticalPriority);
}

QtAudioInput::~QtAudioInput() {
    stop();
    thread_.quit();
    thread_.wait();
}

bool QtAudioInput::hasInput() const {
    return !QMediaDevices::audioInputs().isEmpty();
}

QAudioDevice QtAudioInput::defaultDevice() {
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    if (inputs.isEmpty()) {
        return {};
    }
    const QByteArray serverDefault = PulseDefaultSource::name(serverQueryTimeout);
    for (const QAudioDevice& device : inputs) {
        if (!serverDefault.isEmpty() && device.id() == serverDefault) {
            return device;
        }
    }
    const QAudioDevice qtDefault = QMediaDevices::defaultAudioInput();
    return qtDefault.isNull() ? inputs.first() : qtDefault;
}

QAudioDevice QtAudioInput::deviceFor(const QByteArray& chosen) {
    if (!chosen.isEmpty()) {
        for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
            if (device.id() == chosen) return device;
        }
        Log::line(QStringLiteral("[Quillo] Microphone \"%1\" is not available; recording from "
                                 "the default input")
                      .arg(QString::fromUtf8(chosen)));
    }
    return defaultDevice();
}

AudioInput::StartResult QtAudioInput::start() {
    const QAudioDevice device = deviceFor(choice_ ? choice_() : QByteArray());
    if (device.isNull()) {
        return {std::nullopt, QStringLiteral("No microphone available")};
    }
    const QAudioFormat format = captureFormat(device);
    QString failure;
    // The source must be created on the capture thread so its timer and reads run there.
    QMetaObject::invokeMethod(
        worker_, [&] { failure = worker_->open(device, format); }, Qt::BlockingQueuedConnection);
    if (!failure.isEmpty()) {
        return {std::nullopt, failure};
    }
    opened_ = device.id();
    return {Format{format.sampleRate(), format.channelCount()}, {}};
}

void QtAudioInput::setBufferHandler(BufferHandler handler) {
    worker_->setHandler(std::move(handler));
}

void QtAudioInput::removeBufferHandler() {
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->drain(); }, Qt::BlockingQueuedConnection);
    worker_->removeHandler();
}

void QtAudioInput::stop() {
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->close(); }, Qt::BlockingQueuedConnection);
}
