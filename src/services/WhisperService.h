#pragma once

#include "services/HttpTransport.h"
#include "services/MultipartBody.h"

#include <QByteArray>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

// Uploads one recorded WAV file to OpenAI's transcription interface with the user's own key.
// Created per dictation; holds no mutable state. Nothing is retried or logged here.
class WhisperService {
public:
    static constexpr char apiHost[] = "https://api.openai.com";
    static constexpr char endpointPath[] = "/v1/audio/transcriptions";
    static constexpr char model[] = "gpt-4o-mini-transcribe";

    // hostForTests replaces OpenAI's host (scheme, host, port) so that tests reach a loopback
    // server; the application never sets it.
    explicit WhisperService(QString apiKey, HttpTransport transport = {},
                            const QString& hostForTests = {});

    // The full address of the transcription endpoint.
    QString baseURL() const { return baseURL_; }

    // The transcript exactly as received. No language, or "auto", sends no language part.
    // Throws WhisperError, TransportError or DecodingError.
    QCoro::Task<QString> transcribe(QByteArray audioData,
                                    std::optional<QString> language = std::nullopt) const;

    // Model part, the optional language part, then the file part.
    static MultipartBody buildMultipartBody(const QByteArray& audioData, const QString& model,
                                            const std::optional<QString>& language,
                                            const QString& boundary);

private:
    static QString interpret(const HttpReply& reply);

    QString apiKey_;
    QString baseURL_;
    HttpTransport transport_;
};
