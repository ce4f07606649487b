#pragma once

#include "models/RecordingStateValue.h"

#include <QString>

class AudioLevelSource;

// What the pipeline needs of the floating overlay.
class DictationOverlay {
public:
    virtual ~DictationOverlay() = default;
    // Waveform for the recording states (reading `levels`), spinner for processing, hidden else.
    virtual void show(RecordingStateValue state, AudioLevelSource* levels) = 0;
    // Shows the message and hides it by itself after 4 seconds.
    virtual void showError(const QString& message) = 0;
    virtual void dismiss() = 0;
};
