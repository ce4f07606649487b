#pragma once

#include "base/TimerHandle.h"
#include "services/audio/SpeechDetector.h"
#include "services/audio/StretchCutter.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

class DictationRecorder;
class LocalTranscriber;
class Scheduler;

// Transcribes one recording on this computer while it is made: it listens to the audio as it
// arrives, cuts it into stretches where the speaker pauses (StretchCutter), and has the engine
// transcribe each stretch on its worker thread, one after the other, each with the text before
// it as its prompt. At the release only the rest is left to transcribe, so the wait no longer
// grows with the dictation. Lives on the main thread and never waits for the engine.
class LiveTranscription : public QObject {
    Q_OBJECT
public:
    struct Dependencies {
        DictationRecorder& recorder;
        const SpeechDetector& speechDetector;
        LocalTranscriber& transcriber;
        Scheduler& scheduler;
    };

    // Often enough that a stretch goes to the engine soon after its pause; each look costs
    // well under a millisecond.
    static constexpr std::chrono::milliseconds listenInterval{250};
    // Waiting stretches are sent together up to this length, below whisper's 30 s window.
    static constexpr int mergedStretchLimitSeconds = 28;

    LiveTranscription(Dependencies dependencies, std::optional<QString> language,
                      QObject* parent = nullptr);
    ~LiveTranscription() override;

    void start();
    // No pause ends a stretch shorter than this (StretchCutter's shortest stretch unless set).
    void setShortestStretch(std::chrono::milliseconds length);
    // The recording has stopped; `pcm` is all of it (16 kHz mono 16-bit, pre-roll included).
    // Transcribes the rest since the last cut and returns the whole text once every stretch is
    // done. Throws the engine's errors.
    QCoro::Task<QString> finish(QByteArray pcm);
    // The recording was cancelled: queued stretches are dropped, and the running one is
    // stopped when `stopEngine` (else its text is dropped on arrival).
    void cancel(bool stopEngine);

    // Where the stretches were cut, in samples from the recording's start.
    const QList<qsizetype>& cuts() const { return cuts_; }
    // The stretches' texts joined so far.
    const QString& text() const { return text_; }

    // `next` after `before`, with a space unless both sides are written without spaces
    // (Chinese, Japanese, Thai and their neighbours).
    static QString joined(const QString& before, const QString& next);

signals:
    void idle();
    // A stretch added its words: `text` is all of them so far, as text() returns it.
    void textChanged(const QString& text);

private:
    void listen();
    void hearNewFrames();
    void cutStretch(qsizetype frames);
    void transcribeQueued();
    QCoro::Task<void> runQueue();
    QByteArray takeQueuedStretches();

    Dependencies deps_;
    std::optional<QString> language_;
    std::unique_ptr<SpeechDetector::FrameClassifier> classifier_;
    TimerHandle listenTimer_;
    std::vector<SpeechDetector::Frame> frames_;  // every whole frame heard, from the start
    qsizetype shortestStretchFrames_ = StretchCutter::shortestStretchFrames;
    qsizetype lastCut_ = 0;         // in samples, always on a frame boundary
    QByteArray sinceCut_;           // the PCM from lastCut_ on
    std::deque<QByteArray> queue_;  // stretches waiting for the engine
    bool working_ = false;
    bool cancelled_ = false;
    QString text_;
    std::exception_ptr failure_;
    QList<qsizetype> cuts_;
};
