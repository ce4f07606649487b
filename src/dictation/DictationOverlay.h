#pragma once

#include "models/RecordingStateValue.h"

#include <QString>
#include <QtGlobal>

class AudioLevelSource;

// What the pipeline needs of the floating overlay.
class DictationOverlay {
public:
    // Names one content put up by show(), so that a run can later take down what it showed and
    // nothing else; `noContent` when show() put nothing up.
    using Content = quint64;
    static constexpr Content noContent = 0;

    virtual ~DictationOverlay() = default;
    // Waveform for the recording states (reading `levels`), spinner for processing, hidden else.
    virtual Content show(RecordingStateValue state, AudioLevelSource* levels) = 0;
    // Shows the message and hides it by itself after 4 seconds.
    virtual void showError(const QString& message) = 0;
    virtual void dismiss() = 0;
    // Hides the overlay only while it still shows `content`: an error or a newer recording put
    // up since then stays.
    virtual void dismissIfShowing(Content content) = 0;
};
