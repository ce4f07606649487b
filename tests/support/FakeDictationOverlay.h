#pragma once

#include "dictation/DictationOverlay.h"

#include <QStringList>

// Records what the pipeline asked of the overlay, one line per call; a conditional dismissal
// is recorded as "dismiss" when it hides the content, and not at all when something newer
// shows.
class FakeDictationOverlay final : public DictationOverlay {
public:
    Content show(RecordingStateValue state, AudioLevelSource* levels) override {
        calls << QStringLiteral("show %1%2")
                     .arg(caseName(state), levels ? QStringLiteral(" +levels") : QString());
        showing =
            isRecording(state) || state == RecordingStateValue::processing ? ++last : noContent;
        return showing;
    }
    // "live <text>" while `content` is on screen, else "live on hidden content".
    void showLiveText(Content content, const QString& text) override {
        calls << (content != noContent && content == showing
                      ? QStringLiteral("live ") + text
                      : QStringLiteral("live on hidden content"));
    }
    void showError(const QString& message) override {
        calls << QStringLiteral("error ") + message;
        showing = ++last;
    }
    void dismiss() override {
        calls << QStringLiteral("dismiss");
        showing = noContent;
    }
    void dismissIfShowing(Content content) override {
        if (content != noContent && content == showing) {
            dismiss();
        }
    }

    QStringList calls;
    Content showing = noContent;
    Content last = noContent;
};
