#pragma once

#include "models/ServiceDefaults.h"
#include "services/http/HttpTransport.h"
#include "services/remote/LLMProvider.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <optional>

// Rewrites a transcript with a language model: the mode's prompt as the system instruction,
// the transcript as the user's message. Created per dictation; holds no mutable state.
// Nothing is retried or logged here.
class LLMService {
public:
    static constexpr const char* openAIHost = ServiceDefaults::openAIHost;
    static constexpr char openAIPath[] = "/v1/chat/completions";
    static constexpr const char* openAIModel = ServiceDefaults::chatModel;
    static constexpr const char* anthropicHost = ServiceDefaults::anthropicHost;
    static constexpr char anthropicPath[] = "/v1/messages";
    static constexpr const char* anthropicModel = ServiceDefaults::anthropicModel;
    static constexpr char anthropicVersion[] = "2023-06-01";
    static constexpr int maxTokens = 4096;
    static constexpr double openAITemperature = 0.3;

    // hostForTests replaces the provider's host (scheme, host, port) so that tests reach a
    // loopback server; the application never sets it.
    LLMService(LLMProvider provider, QString apiKey, HttpTransport transport = {},
               const QString& hostForTests = {});

    // The OpenAI-compatible server's base (as "openai_base_url" holds it) and the model names
    // to send. Anthropic's host stays fixed; anthropicHost is for tests only.
    struct Options {
        QString openAIBaseURL = QString::fromLatin1(openAIHost);
        QString openAIModel = QString::fromLatin1(LLMService::openAIModel);
        QString anthropicModel = QString::fromLatin1(LLMService::anthropicModel);
        QString anthropicHost;
    };
    LLMService(LLMProvider provider, QString apiKey, HttpTransport transport, Options options);

    LLMProvider provider() const { return provider_; }
    // The full address of the provider's endpoint; empty when its base is not a valid URL.
    QString endpoint() const { return endpointURL().toString(); }

    // The model's answer without leading and trailing white space. Throws LLMError,
    // TransportError or DecodingError (a 200 body that is not JSON).
    QCoro::Task<QString> format(QString text, QString systemPrompt) const;

    static QByteArray buildOpenAIRequestBody(
        const QString& systemPrompt, const QString& userText,
        const QString& model = QString::fromLatin1(openAIModel));
    static QByteArray buildAnthropicRequestBody(
        const QString& systemPrompt, const QString& userText,
        const QString& model = QString::fromLatin1(anthropicModel));

private:
    // The base the requests go to, as configured.
    QString base() const;
    // The checked URL every request is built from.
    QUrl endpointURL() const;
    // Throws when the base is invalid, or plain http to a public host.
    void checkServer() const;

    QCoro::Task<QString> callOpenAI(QString systemPrompt, QString userText) const;
    QCoro::Task<QString> callAnthropic(QString systemPrompt, QString userText) const;
    static QString answerText(LLMProvider provider, const HttpReply& reply);
    static QString answerAt(LLMProvider provider, const QJsonDocument& document);

    LLMProvider provider_;
    QString apiKey_;
    QString hostForTests_;
    HttpTransport transport_;
    std::optional<Options> options_;
};
