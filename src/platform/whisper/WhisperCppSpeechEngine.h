#pragma once

#include "platform/SpeechEngine.h"

#include <QFuture>
#include <QThread>

#include <functional>
#include <memory>

// whisper.cpp on a worker thread of its own: the model is loaded, used and freed there, never
// on the main thread. One compute thread per core unless told how many.
class WhisperCppSpeechEngine : public SpeechEngine {
public:
    explicit WhisperCppSpeechEngine(int computeThreads = 0);
    ~WhisperCppSpeechEngine() override;

    QCoro::Task<void> load(QString modelPath) override;
    QCoro::Task<QString> transcribe(Request request) override;
    void abort() override;
    QCoro::Task<void> unload() override;
    QString loadedModel() const override { return loadedModel_; }

    // Why the file at `path` is not a complete whisper model; empty when it is one. Reads only
    // the headers, so it is quick even for large files.
    static QString checkModelFile(const QString& path);
    // The instruction-set extensions this build needs and the processor lacks, comma-separated;
    // empty when the engine can run here.
    static QString missingProcessorFeatures();
    // The encoder window, in frames, that covers `sampleCount` samples with a little margin.
    static int matchingAudioContext(size_t sampleCount);

    struct Outcome;
    struct Shared;

private:
    QFuture<std::shared_ptr<Outcome>> onWorker(std::function<std::shared_ptr<Outcome>()> work);

    std::shared_ptr<Shared> shared_;
    QThread thread_;
    QObject* worker_;
    QString loadedModel_;
};
