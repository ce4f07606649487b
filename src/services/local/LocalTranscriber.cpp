#include "services/local/LocalTranscriber.h"

#include "models/AppSettings.h"
#include "platform/SpeechEngineError.h"
#include "services/audio/WavDecoder.h"

#include <QDir>
#include <QPointer>
#include <QStandardPaths>

LocalTranscriber::LocalTranscriber(SpeechEngine& engine, Scheduler& scheduler,
                                   AppSettings& settings, QObject* parent)
    : QObject(parent), engine_(engine), scheduler_(scheduler), settings_(settings) {}

QString LocalTranscriber::modelsDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/quillo/models");
}

QString LocalTranscriber::modelPath(const QString& nameOrPath) {
    if (QDir::isAbsolutePath(nameOrPath)) {
        return nameOrPath;
    }
    return modelsDirectory() + QStringLiteral("/ggml-") + nameOrPath + QStringLiteral(".bin");
}

QString LocalTranscriber::promptFrom(const QStringList& vocabulary, const QString& precedingText) {
    QStringList words;
    for (const QString& word : vocabulary) {
        if (!word.trimmed().isEmpty()) {
            words << word.trimmed();
        }
    }
    QString prompt = words.join(QLatin1String(", "));
    QString preceding = precedingText.trimmed();
    if (preceding.size() > precedingTextLimit) {
        preceding = preceding.right(precedingTextLimit);
        const qsizetype wordStart = preceding.indexOf(QLatin1Char(' '));
        if (wordStart >= 0) {
            preceding = preceding.mid(wordStart + 1);
        }
    }
    if (!preceding.isEmpty()) {
        prompt += (prompt.isEmpty() ? QString() : QStringLiteral(". ")) + preceding;
    }
    return prompt;
}

void LocalTranscriber::prepare() {
    if (!settings_.localTranscription()) {
        return;
    }
    unloadTimer_.cancel();
    loadInBackground(modelPath(settings_.localModel()));
    if (!inUse()) {
        scheduleUnload();
    }
}

void LocalTranscriber::setRecording(bool recording) {
    recording_ = recording;
    if (recording_) {
        unloadTimer_.cancel();
    } else if (!inUse() && settings_.localTranscription()) {
        scheduleUnload();
    }
}

// A failure is only remembered by the engine's state: the transcription that follows loads again
// and reports it.
QCoro::Task<void> LocalTranscriber::loadInBackground(QString path) {
    SpeechEngine& engine = engine_;
    try {
        co_await engine.load(path);
    } catch (const SpeechEngineError&) {
    }
}

QCoro::Task<QString> LocalTranscriber::transcribe(QByteArray wav, std::optional<QString> language,
                                                  QString precedingText) {
    QPointer<LocalTranscriber> self(this);
    SpeechEngine& engine = engine_;
    WavDecoder::Result audio = WavDecoder::decode(wav);
    if (!audio.error.isEmpty()) {
        throw SpeechEngineError(SpeechEngineError::Kind::invalidAudio, audio.error);
    }
    SpeechEngine::Request request;
    request.samples = std::move(audio.samples);
    request.language = language.value_or(QStringLiteral("auto"));
    request.initialPrompt = promptFrom(settings_.vocabulary(), precedingText);
    request.matchAudioContext = settings_.localTranscriptionFast();
    const QString path = modelPath(settings_.localModel());

    ++running_;
    unloadTimer_.cancel();
    std::exception_ptr failure;
    QString text;
    try {
        co_await engine.load(path);
        text = co_await engine.transcribe(std::move(request));
    } catch (...) {
        failure = std::current_exception();
    }
    if (self) {
        --running_;
        if (!inUse()) {
            scheduleUnload();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    co_return text;
}

void LocalTranscriber::abort() {
    engine_.abort();
}

void LocalTranscriber::scheduleUnload() {
    QPointer<LocalTranscriber> self(this);
    unloadTimer_ = scheduler_.scheduleOnce(idleUnloadDelay, [self] {
        if (self && !self->inUse()) {
            self->engine_.unload();
        }
    });
}
