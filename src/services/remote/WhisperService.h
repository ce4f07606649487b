#pragma once

#include "models/ServiceDefaults.h"
#include "services/http/HttpTransport.h"
#include "services/http/MultipartBody.h"
#include "services/http/ServerAddress.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

#include <optional>

// Uploads one recorded WAV file to OpenAI's transcription interface with the user's own key.
// Created per dictation; holds no mutable state. Nothing is retried or logged here.
class WhisperService {
public:
    static constexpr const char* apiHost = ServiceDefaults::openAIHost;
    static constexpr char endpointPath[] = "/v1/audio/transcriptions";
    static constexpr const char* model = ServiceDefaults::transcriptionModel;

    // hostForTests replaces OpenAI's host (scheme, host, port) so that tests reach a loopback
    // server; the application never sets it.
    explicit WhisperService(QString apiKey, HttpTransport transport = {},
                            const QString& hostForTests = {});

    // Where and what to send on the direct route: an OpenAI-compatible server (its base, as
    // "openai_base_url" holds it), the model name, and words that steer recognition.
    struct Options {
        QString baseURL = QString::fromLatin1(apiHost);
        QString model = QString::fromLatin1(WhisperService::model);
        QStringList vocabulary;
    };
    WhisperService(QString apiKey, HttpTransport transport, Options options);

    // The vocabulary as one prompt text; empty when there is no word.
    static QString promptFor(const QStringList& vocabulary);

    // The full address of the transcription endpoint; empty when the base is not a valid URL.
    QString baseURL() const { return endpoint_.toString(); }

    // The transcript exactly as received. No language, or "auto", sends no language part.
    // Throws WhisperError, TransportError or DecodingError.
    QCoro::Task<QString> transcribe(QByteArray audioData,
                                    std::optional<QString> language = std::nullopt) const;

    // Model part, the optional language part, the optional prompt part, then the file part.
    static MultipartBody buildMultipartBody(const QByteArray& audioData, const QString& model,
                                            const std::optional<QString>& language,
                                            const QString& boundary, const QString& prompt = {});

private:
    static QString interpret(const HttpReply& reply);

    QString apiKey_;
    QUrl endpoint_;
    QString base_;
    ServerAddress::Verdict verdict_ = ServerAddress::Verdict::invalid;
    QString model_ = QString::fromLatin1(model);
    QString prompt_;
    HttpTransport transport_;
};
