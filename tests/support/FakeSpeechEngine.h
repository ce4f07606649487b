#pragma once

#include "platform/SpeechEngine.h"

#include <QString>
#include <QStringList>

#include <QPromise>

#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

// Records what the engine is asked and answers with a scripted transcript or error: at once,
// or, while `holdAnswers` is set, only when the test calls answerNext() (a slow engine).
class FakeSpeechEngine final : public SpeechEngine {
public:
    QCoro::Task<void> load(QString modelPath) override;
    QCoro::Task<QString> transcribe(Request request) override;
    void abort() override { ++abortCount; }
    QCoro::Task<void> unload() override;
    QString loadedModel() const override { return loaded; }

    // Lets the oldest held transcription answer; false when none is held. The answer
    // arrives through the event loop.
    bool answerNext();

    QString transcript = QStringLiteral("hello from this computer");
    QStringList transcripts;  // the answers in turn, `transcript` once they run out
    bool holdAnswers = false;
    std::deque<std::shared_ptr<QPromise<void>>> held;
    std::exception_ptr loadError;        // thrown by every load while set
    std::exception_ptr transcribeError;  // thrown by every transcription while set

    QStringList loads;  // every path asked for, in order
    std::vector<Request> requests;
    int unloadCount = 0;
    int abortCount = 0;
    QString loaded;
};
