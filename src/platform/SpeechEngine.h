#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

#include <vector>

// Speech to text on this computer. Loading and transcribing run on the engine's own worker
// thread, one request after the other; the awaiting coroutine resumes on the main thread.
// Failures are thrown as SpeechEngineError.
class SpeechEngine {
public:
    struct Request {
        std::vector<float> samples;  // 16 kHz mono, -1..1
        QString language;            // a language code; empty or "auto" detects it
        QString initialPrompt;       // words the recogniser should expect
        // Shrink the encoder's window to the clip: faster, may be less accurate.
        bool matchAudioContext = false;
    };

    virtual ~SpeechEngine() = default;

    // Loads the model file unless it is the one already loaded (another one is unloaded first).
    virtual QCoro::Task<void> load(QString modelPath) = 0;
    // The transcript; loads nothing, so a load must come first.
    virtual QCoro::Task<QString> transcribe(Request request) = 0;
    // Ends a running transcription early (it throws `aborted`); any thread.
    virtual void abort() = 0;
    // Frees the model and gives its memory back to the system, after any queued request.
    virtual QCoro::Task<void> unload() = 0;
    // The path of the loaded model; empty when none is.
    virtual QString loadedModel() const = 0;
};
