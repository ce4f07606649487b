#pragma once

#include "platform/SpeechEngine.h"

#include <QString>
#include <QStringList>

#include <exception>
#include <optional>
#include <vector>

// Records what the engine is asked and answers at once with a scripted transcript or error.
class FakeSpeechEngine final : public SpeechEngine {
public:
    QCoro::Task<void> load(QString modelPath) override;
    QCoro::Task<QString> transcribe(Request request) override;
    void abort() override { ++abortCount; }
    QCoro::Task<void> unload() override;
    QString loadedModel() const override { return loaded; }

    QString transcript = QStringLiteral("hello from this computer");
    std::exception_ptr loadError;        // thrown by every load while set
    std::exception_ptr transcribeError;  // thrown by every transcription while set

    QStringList loads;  // every path asked for, in order
    std::vector<Request> requests;
    int unloadCount = 0;
    int abortCount = 0;
    QString loaded;
};
