#pragma once

#include "base/Scheduler.h"
#include "base/TimerHandle.h"
#include "platform/SpeechEngine.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <optional>

class AppSettings;

// Speech to text on this computer, on the same seam as the remote clients: WAV in, text out,
// SpeechEngineError on failure. It also keeps the model's lifetime: loaded when a dictation may
// begin, kept while dictations follow, freed after a while without one.
class LocalTranscriber : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds idleUnloadDelay{30000};

    LocalTranscriber(SpeechEngine& engine, Scheduler& scheduler, AppSettings& settings,
                     QObject* parent = nullptr);

    // The file of a model setting: an absolute path as it is, a name as
    // $XDG_DATA_HOME/quillo/models/ggml-<name>.bin.
    static QString modelPath(const QString& nameOrPath);
    // The folder that holds the downloaded models.
    static QString modelsDirectory();
    // The engine's initial prompt: the vocabulary's words, blank ones left out, then the end of
    // the text that precedes the audio (so names and casing carry across a cut).
    static QString promptFrom(const QStringList& vocabulary, const QString& precedingText = {});
    // Whisper keeps at most 224 prompt tokens, the latest ones: the preceding text is cut to
    // about 150 of them, so the vocabulary before it stays.
    static constexpr qsizetype precedingTextLimit = 600;

    // A dictation may begin (a key went down): load the model in the background unless it is
    // loaded, and keep it. Does nothing while local transcription is off.
    void prepare();
    // The transcript of the recorder's WAV; `language` none detects it. `precedingText` is what
    // was said just before this audio. Throws SpeechEngineError.
    QCoro::Task<QString> transcribe(QByteArray wav, std::optional<QString> language,
                                    QString precedingText = {});
    // Ends a running transcription; it throws `aborted`.
    void abort();
    // A recording is under way: the model stays loaded until it ends, however long it lasts;
    // the idle time that frees the model counts from the end of the recording or of the last
    // transcription, whichever is later.
    void setRecording(bool recording);

private:
    QCoro::Task<void> loadInBackground(QString path);
    void scheduleUnload();
    bool inUse() const { return running_ > 0 || recording_; }

    SpeechEngine& engine_;
    Scheduler& scheduler_;
    AppSettings& settings_;
    TimerHandle unloadTimer_;
    int running_ = 0;
    bool recording_ = false;
};
