#pragma once

#include "services/AudioLevelSource.h"

#include <QByteArray>

#include <qcoro/qcorotask.h>

// What the pipeline needs of the microphone recorder.
class DictationRecorder : public AudioLevelSource {
public:
    // Throws a QuilloError when recording cannot start; does nothing when already recording.
    virtual void startRecording() = 0;
    // The complete WAV file; empty when no recording was running.
    virtual QByteArray stopRecording() = 0;
    virtual QCoro::Task<bool> requestPermission() = 0;
};
