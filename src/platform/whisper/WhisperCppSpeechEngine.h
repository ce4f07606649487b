#pragma once

#include "platform/SpeechDevice.h"
#include "platform/SpeechEngine.h"

#include <QFuture>
#include <QThread>

#include <functional>
#include <memory>

// whisper.cpp on a worker thread of its own: the model is loaded, used and freed there, never
// on the main thread. One compute thread per core unless told how many. Each model load picks
// the device: a real graphics card when there is one and it is wanted, else the processor; a
// card that does not start or cannot hold the model leaves that load on the processor, and the
// next load tries the card again.
class WhisperCppSpeechEngine : public SpeechEngine {
public:
    explicit WhisperCppSpeechEngine(int computeThreads = 0);
    ~WhisperCppSpeechEngine() override;

    QCoro::Task<void> load(QString modelPath) override;
    QCoro::Task<QString> transcribe(Request request) override;
    void abort() override;
    QCoro::Task<void> unload() override;
    QString loadedModel() const override { return loadedModel_; }

    // Asked on the main thread at each model load: whether a graphics card may be used.
    void setGraphicsCardWanted(std::function<bool()> wanted) { cardWanted_ = std::move(wanted); }
    // Tests only: a software renderer (made visible to ggml by its own variable) counts as a
    // graphics card, so the card's path runs on a machine without one.
    void countSoftwareRendererAsCard();
    // Where the loaded model runs; before any load, where the next one would go once
    // findGraphicsCard() looked, else the processor.
    SpeechDevice device() const { return device_; }
    // The graphics card found at the last look (a model load or findGraphicsCard()); empty
    // when there is none, or before any look.
    QString graphicsCard() const { return graphicsCard_; }
    // Called on the main thread whenever device() or graphicsCard() may have changed.
    void setDeviceObserver(std::function<void()> observer) { observer_ = std::move(observer); }
    // Looks for a graphics card on the worker thread without loading a model: the first look
    // costs a few hundred milliseconds.
    QCoro::Task<void> findGraphicsCard();

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

    void report(const Outcome& outcome);

    std::shared_ptr<Shared> shared_;
    QThread thread_;
    QObject* worker_;
    QString loadedModel_;
    std::function<bool()> cardWanted_;
    std::function<void()> observer_;
    SpeechDevice device_;
    QString graphicsCard_;
};
