#pragma once

#include "services/DictationOverlay.h"

#include <QStringList>

// Records what the pipeline asked of the overlay, one line per call.
class FakeDictationOverlay final : public DictationOverlay {
public:
    void show(RecordingStateValue state, AudioLevelSource* levels) override {
        calls << QStringLiteral("show %1%2").arg(caseName(state),
                                                 levels ? QStringLiteral(" +levels") : QString());
    }
    void showError(const QString& message) override { calls << QStringLiteral("error ") + message; }
    void dismiss() override { calls << QStringLiteral("dismiss"); }

    QStringList calls;
};
