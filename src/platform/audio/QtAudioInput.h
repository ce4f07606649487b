#pragma once

#include "platform/AudioInput.h"

#include <QByteArray>
#include <QThread>

#include <functional>

class AudioCaptureWorker;
class QAudioDevice;

// The sound server's default source through Qt Multimedia, captured on a thread of its own.
// Created, started and stopped on the main thread.
class QtAudioInput : public AudioInput {
public:
    QtAudioInput();
    ~QtAudioInput() override;
    QtAudioInput(const QtAudioInput&) = delete;
    QtAudioInput& operator=(const QtAudioInput&) = delete;

    bool hasInput() const override;
    StartResult start() override;
    void setBufferHandler(BufferHandler handler) override;
    void removeBufferHandler() override;
    void stop() override;

    // The input the next start() captures: the server's default source when Qt lists it,
    // else Qt's own choice. Null when there is no input at all.
    static QAudioDevice defaultDevice();

    // The user's microphone, asked at every start(): the sound server's source name, empty
    // for the default. A chosen source that is gone falls back to the default with a log line.
    using DeviceChoice = std::function<QByteArray()>;
    void setDeviceChoice(DeviceChoice choice) { choice_ = std::move(choice); }
    // The chosen input when it is listed, else the default one.
    static QAudioDevice deviceFor(const QByteArray& chosen);
    // The id of the input the last successful start() opened.
    QByteArray openedDevice() const { return opened_; }

private:
    QThread thread_;
    AudioCaptureWorker* worker_;  // lives on thread_, deleted when it finishes
    DeviceChoice choice_;
    QByteArray opened_;
};
