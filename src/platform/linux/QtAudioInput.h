#pragma once

#include "platform/AudioInput.h"

#include <QThread>

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

private:
    QThread thread_;
    AudioCaptureWorker* worker_;  // lives on thread_, deleted when it finishes
};
