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
    // One line under the waveform `content` shows: the words heard so far, the newest ones
    // when they do not all fit; empty takes the line away. Nothing once `content` is no longer
    // shown, and every show, error or dismissal takes the line away.
    virtual void showLiveText(Content content, const QString& text) = 0;
    // Shows the message and hides it by itself after 4 seconds.
    virtual void showError(const QString& message) = 0;
    virtual void dismiss() = 0;
    // Hides the overlay only while it still shows `content`: an error or a newer recording put
    // up since then stays.
    virtual void dismissIfShowing(Content content) = 0;
};
