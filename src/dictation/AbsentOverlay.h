#pragma once

#include "dictation/DictationOverlay.h"

// Stands in for the overlay where no window can float above the others without taking the focus
// (a Wayland session without XWayland): the dictation runs the same, unseen.
class AbsentOverlay final : public DictationOverlay {
public:
    Content show(RecordingStateValue, AudioLevelSource*) override { return noContent; }
    void showLiveText(Content, const QString&) override {}
    void showError(const QString&) override {}
    void dismiss() override {}
    void dismissIfShowing(Content) override {}
};
