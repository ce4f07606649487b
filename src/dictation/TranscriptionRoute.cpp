#include "dictation/TranscriptionRoute.h"

#include "base/Log.h"
#include "dictation/TranscriptReplacements.h"
#include "models/AppSettings.h"
#include "models/DictationEntry.h"
#include "services/local/LiveTranscription.h"
#include "services/local/LocalTranscriber.h"
#include "services/remote/LLMProvider.h"
#include "services/remote/LLMService.h"
#include "services/remote/QuilloAPIService.h"
#include "services/remote/WhisperService.h"

#include <QPointer>

#include <utility>

namespace {

QString quotedLine(const char* prefix, const QString& text) {
    return QLatin1String(prefix) + text + QLatin1Char('"');
}

}  // namespace

TranscriptionRoute::TranscriptionRoute(Dependencies dependencies, QObject* parent)
    : QObject(parent), deps_(std::move(dependencies)) {}

void TranscriptionRoute::prepare() {
    if (deps_.localTranscription) {
        deps_.localTranscription->prepare();
    }
}

bool TranscriptionRoute::usesLocalEngine() const {
    return deps_.localTranscription && deps_.settings.localTranscription();
}

void TranscriptionRoute::abortLocal() {
    if (deps_.localTranscription) {
        deps_.localTranscription->abort();
    }
}

QCoro::Task<std::optional<QString>> TranscriptionRoute::transcribeAndFormat(QByteArray audio,
                                                                            Request request) {
    QPointer<TranscriptionRoute> self(this);
    AppSettings& settings = deps_.settings;
    const RemoteServices remote = deps_.remoteServices;
    const DictationMode mode = request.mode;

    if (settings.localTranscription() && deps_.localTranscription) {
        std::optional<QString> local = co_await transcribeLocallyAndFormat(audio, request);
        co_return local;
    }
    if (!settings.useBackend()) {
        Log::line(QStringLiteral("[Quillo] Sending to Whisper API (direct)..."));
        const WhisperService whisper(
            settings.openAIAPIKey(), remote.transport,
            {remote.openAIHost.isEmpty() ? settings.openAIBaseURL() : remote.openAIHost,
             settings.transcriptionModel(), settings.vocabulary()});
        const QString heard = co_await whisper.transcribe(audio, request.language);
        if (!self) {
            co_return std::nullopt;
        }
        Log::line(quotedLine("[Quillo] Whisper result: \"", heard));
        const std::optional<QString> transcript =
            acceptTranscript(heard, request, QLatin1String("[Quillo] Whisper returned empty text"));
        if (!transcript || skipsFormatting(mode)) {
            co_return transcript;
        }
        std::optional<QString> formatted = co_await formatWithProvider(*transcript, mode);
        co_return formatted;
    }

    const QuilloAPIService backend = backendService();
    Log::line(QStringLiteral("[Quillo] Sending to backend for transcription..."));
    const TranscribeResponse response = co_await backend.transcribe(audio, request.language);
    if (!self) {
        co_return std::nullopt;
    }
    Log::line(QStringLiteral("[Quillo] Transcription: \"%1\" (%2 words)")
                  .arg(response.text, QString::number(response.words)));
    const std::optional<QString> transcript =
        acceptTranscript(response.text, request, QLatin1String("[Quillo] Empty transcription"));
    if (!transcript || skipsFormatting(mode)) {
        co_return transcript;
    }
    std::optional<QString> formatted = co_await formatWithBackend(*transcript, mode);
    co_return formatted;
}

// The transcript from this computer's engine, then formatted by the route "use_backend" names;
// no transcription request leaves the machine.
QCoro::Task<std::optional<QString>> TranscriptionRoute::transcribeLocallyAndFormat(
    QByteArray audio, Request request) {
    QPointer<TranscriptionRoute> self(this);
    AppSettings& settings = deps_.settings;
    LocalTranscriber& local = *deps_.localTranscription;
    const DictationMode mode = request.mode;

    Log::line(
        QStringLiteral("[Quillo] Transcribing locally (model: %1)...").arg(settings.localModel()));
    QString heard;
    if (request.live) {
        LiveTranscription& live = *request.live;
        heard = co_await live.finish(request.liveRecording);
    } else {
        heard = co_await local.transcribe(audio, request.language);
    }
    if (!self) {
        co_return std::nullopt;
    }
    Log::line(QStringLiteral("[Quillo] Transcription: \"%1\" (%2 words)")
                  .arg(heard, QString::number(DictationEntry::countWords(heard))));
    const std::optional<QString> transcript =
        acceptTranscript(heard, request, QLatin1String("[Quillo] Whisper returned empty text"));
    if (!transcript || skipsFormatting(mode)) {
        co_return transcript;
    }
    // GCC 12 miscompiles co_await inside a conditional expression: one await per statement.
    if (settings.useBackend()) {
        std::optional<QString> formatted = co_await formatWithBackend(*transcript, mode);
        co_return formatted;
    }
    std::optional<QString> formatted = co_await formatWithProvider(*transcript, mode);
    co_return formatted;
}

// The transcript after the user's replacements; none when the dictation was cancelled
// meanwhile or nothing was heard (then `emptyLine` is logged).
std::optional<QString> TranscriptionRoute::acceptTranscript(const QString& heard,
                                                            const Request& request,
                                                            QLatin1String emptyLine) const {
    if (request.isCancelled && request.isCancelled()) {
        return std::nullopt;
    }
    const QString transcript = TranscriptReplacements(deps_.settings.replacements()).apply(heard);
    if (transcript.trimmed().isEmpty()) {
        Log::line(emptyLine);
        return std::nullopt;
    }
    return transcript;
}

bool TranscriptionRoute::skipsFormatting(DictationMode mode) {
    if (!mode.skipsLLM()) {
        return false;
    }
    Log::line(QStringLiteral("[Quillo] Raw mode, skipping LLM"));
    return true;
}

QuilloAPIService TranscriptionRoute::backendService() const {
    const AppSettings& settings = deps_.settings;
    const RemoteServices& remote = deps_.remoteServices;
    const QString baseURL = remote.backendURL.isEmpty() ? settings.backendURL() : remote.backendURL;
    return QuilloAPIService(baseURL, settings.apiSecret(), settings.store(), deps_.deviceIdentity,
                            remote.transport);
}

QCoro::Task<std::optional<QString>> TranscriptionRoute::formatWithBackend(QString transcript,
                                                                          DictationMode mode) {
    QPointer<TranscriptionRoute> self(this);
    const QuilloAPIService backend = backendService();
    const QString prompt = deps_.settings.effectivePrompt(mode);
    Log::line(QStringLiteral("[Quillo] Formatting via backend (mode: %1)...").arg(mode.rawValue()));
    const QString formatted = co_await backend.format(transcript, prompt, mode.rawValue());
    if (self) {
        Log::line(quotedLine("[Quillo] Formatted: \"", formatted));
    }
    co_return formatted;
}

QCoro::Task<std::optional<QString>> TranscriptionRoute::formatWithProvider(QString transcript,
                                                                           DictationMode mode) {
    QPointer<TranscriptionRoute> self(this);
    const AppSettings& settings = deps_.settings;
    const RemoteServices remote = deps_.remoteServices;
    const LLMProvider provider = LLMProvider::fromSetting(settings.llmProvider());
    const QString key =
        provider == LLMProvider::anthropic ? settings.anthropicAPIKey() : settings.openAIAPIKey();
    const QString prompt = settings.effectivePrompt(mode);
    Log::line(QStringLiteral("[Quillo] Formatting with %1...").arg(provider.rawValue()));
    const LLMService llm(
        provider, key, remote.transport,
        {remote.openAIHost.isEmpty() ? settings.openAIBaseURL() : remote.openAIHost,
         settings.chatModel(), settings.anthropicModel(), remote.anthropicHost});
    const QString formatted = co_await llm.format(transcript, prompt);
    if (self) {
        Log::line(quotedLine("[Quillo] LLM result: \"", formatted));
    }
    co_return formatted;
}
