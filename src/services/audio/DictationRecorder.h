#pragma once

#include "services/audio/AudioLevelSource.h"

#include <QByteArray>

#include <qcoro/qcorotask.h>

// What the pipeline needs of the microphone recorder.
class DictationRecorder : public AudioLevelSource {
public:
    // A key-down that may start a recording: opens the microphone at once, so that a
    // recording confirmed later keeps the audio from this moment on (the first word is not
    // lost to the hold threshold and the device's start-up). Another call before the
    // recording is confirmed moves that moment to now. A failure is left for
    // startRecording() to report.
    virtual void startPreRoll() = 0;
    // The gesture ended without a recording: closes the microphone and drops its audio.
    // Does nothing to a confirmed recording.
    virtual void discardPreRoll() = 0;
    // Confirms the recording (keeping the pre-roll) or, without one, starts capturing now.
    // Throws a QuilloError when recording cannot start; does nothing when already recording.
    virtual void startRecording() = 0;
    // The complete WAV file; empty when no recording was running.
    virtual QByteArray stopRecording() = 0;
    // The confirmed recording's 16 kHz mono 16-bit PCM from sample `first` (0 is its start,
    // pre-roll included) to what has arrived so far, without stopping it; empty when no
    // recording runs.
    virtual QByteArray recordedSince(qsizetype first) const = 0;
    virtual QCoro::Task<bool> requestPermission() = 0;
};
