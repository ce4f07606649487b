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

    // ggml answers a failed assertion by starting gdb (or lldb) against the process for a
    // backtrace: seconds of a frozen program, under a debugger, before it dies anyway. Call this
    // first thing in main(), before any thread starts: it sets an environment variable.
    static void disableCrashDebugger();
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
