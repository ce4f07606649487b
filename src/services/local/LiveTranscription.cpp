#include "services/local/LiveTranscription.h"

#include "base/Scheduler.h"
#include "services/audio/DictationRecorder.h"
#include "services/audio/SpeechTrimmer.h"
#include "services/audio/StretchCutter.h"
#include "services/audio/WavEncoder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "services/local/LocalTranscriber.h"

#include <QPointer>

#include <qcoro/qcorosignal.h>

#include <span>

namespace {

constexpr qsizetype frameSamples = SpeechDetector::frameSamples;
constexpr qsizetype bytesPerSample = 2;

bool writtenWithoutSpaces(QChar c) {
    switch (c.script()) {
        case QChar::Script_Han:
        case QChar::Script_Hiragana:
        case QChar::Script_Katakana:
        case QChar::Script_Thai:
        case QChar::Script_Lao:
        case QChar::Script_Khmer:
        case QChar::Script_Myanmar:
            return true;
        default:
            break;
    }
    const char16_t code = c.unicode();
    return (code >= 0x3000 && code <= 0x303F) || (code >= 0xFF00 && code <= 0xFFEF);
}

}  // namespace

LiveTranscription::LiveTranscription(Dependencies dependencies, std::optional<QString> language,
                                     QObject* parent)
    : QObject(parent),
      deps_(dependencies),
      language_(std::move(language)),
      classifier_(deps_.speechDetector.frameClassifier()) {}

LiveTranscription::~LiveTranscription() = default;

void LiveTranscription::start() {
    listenTimer_ = deps_.scheduler.scheduleRepeating(listenInterval, [this] { listen(); });
}

void LiveTranscription::setShortestStretch(std::chrono::milliseconds length) {
    shortestStretchFrames_ = length.count() * SpeechDetector::sampleRate / 1000 / frameSamples;
}

void LiveTranscription::listen() {
    hearNewFrames();
    const double threshold = [this] {
        std::vector<double> levels;
        levels.reserve(frames_.size());
        for (const SpeechDetector::Frame& frame : frames_) {
            levels.push_back(frame.levelDb);
        }
        return WebRtcSpeechDetector::speechThresholdDb(std::move(levels));
    }();
    for (;;) {
        const auto heard =
            std::span(frames_).subspan(static_cast<std::size_t>(lastCut_ / frameSamples));
        const std::optional<qsizetype> cut =
            StretchCutter::nextCut(heard, threshold, shortestStretchFrames_);
        if (!cut || *cut <= 0) {
            break;
        }
        cutStretch(*cut);
    }
    transcribeQueued();
}

// Reads what arrived since the last look and hears its whole frames.
void LiveTranscription::hearNewFrames() {
    const qsizetype received = lastCut_ + sinceCut_.size() / bytesPerSample;
    sinceCut_ += deps_.recorder.recordedSince(received);
    const auto heardUpTo = static_cast<qsizetype>(frames_.size()) * frameSamples;
    const qsizetype available = lastCut_ + sinceCut_.size() / bytesPerSample;
    const qsizetype fresh = (available - heardUpTo) / frameSamples * frameSamples;
    if (fresh <= 0) {
        return;
    }
    const auto* samples =
        reinterpret_cast<const qint16*>(sinceCut_.constData()) + (heardUpTo - lastCut_);
    classifier_->classify(samples, fresh, frames_);
}

void LiveTranscription::cutStretch(qsizetype frames) {
    const qsizetype bytes = frames * frameSamples * bytesPerSample;
    queue_.push_back(sinceCut_.left(bytes));
    sinceCut_.remove(0, bytes);
    lastCut_ += frames * frameSamples;
    cuts_ << lastCut_;
}

QCoro::Task<QString> LiveTranscription::finish(QByteArray pcm) {
    QPointer<LiveTranscription> self(this);
    listenTimer_.cancel();
    const QByteArray rest = pcm.mid(lastCut_ * bytesPerSample);
    if (!rest.isEmpty()) {
        queue_.push_back(rest);
    }
    transcribeQueued();
    while (self && self->working_) {
        co_await qCoro(self.data(), &LiveTranscription::idle);
    }
    if (!self) {
        co_return QString();
    }
    if (failure_) {
        std::rethrow_exception(failure_);
    }
    co_return text_;
}

void LiveTranscription::cancel(bool stopEngine) {
    listenTimer_.cancel();
    cancelled_ = true;
    queue_.clear();
    if (working_ && stopEngine) {
        deps_.transcriber.abort();
    }
}

void LiveTranscription::transcribeQueued() {
    if (!working_ && !queue_.empty() && !cancelled_) {
        working_ = true;
        runQueue();
    }
}

// One stretch after the other, so each has the text before it as its prompt. A stretch
// without speech never reaches the engine (whisper would invent a sentence for it).
QCoro::Task<void> LiveTranscription::runQueue() {
    QPointer<LiveTranscription> self(this);
    while (self && !self->cancelled_ && !self->failure_ && !self->queue_.empty()) {
        const QByteArray wav = WavEncoder::createWAVData(self->takeQueuedStretches(),
                                                         SpeechDetector::sampleRate, 1, 16);
        const std::optional<QByteArray> speech =
            SpeechTrimmer::keepSpeech(wav, self->deps_.speechDetector);
        if (!speech) {
            continue;
        }
        LocalTranscriber& transcriber = self->deps_.transcriber;
        const QString preceding = self->text_;
        const std::optional<QString> language = self->language_;
        QString heard;
        std::exception_ptr failure;
        try {
            heard = co_await transcriber.transcribe(*speech, language, preceding);
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self || self->cancelled_) {
            break;
        }
        if (failure) {
            self->failure_ = failure;
        } else if (QString text = joined(self->text_, heard); text != self->text_) {
            self->text_ = std::move(text);
            emit self->textChanged(self->text_);
        }
    }
    if (self) {
        self->working_ = false;
        emit self->idle();
    }
}

// Every stretch costs the engine a whole 30 s window of encoding, however short it is: when
// it could not keep up and several wait, they go as one (within the window), so a backlog
// shrinks instead of growing with the dictation.
QByteArray LiveTranscription::takeQueuedStretches() {
    constexpr qsizetype windowBytes =
        mergedStretchLimitSeconds * SpeechDetector::sampleRate * bytesPerSample;
    QByteArray pcm = queue_.front();
    queue_.pop_front();
    while (!queue_.empty() && pcm.size() + queue_.front().size() <= windowBytes) {
        pcm += queue_.front();
        queue_.pop_front();
    }
    return pcm;
}

QString LiveTranscription::joined(const QString& before, const QString& next) {
    const QString added = next.trimmed();
    if (before.isEmpty() || added.isEmpty()) {
        return before.isEmpty() ? added : before;
    }
    if (writtenWithoutSpaces(before.back()) && writtenWithoutSpaces(added.front())) {
        return before + added;
    }
    return before + QLatin1Char(' ') + added;
}
