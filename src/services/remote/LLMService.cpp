#include "services/remote/LLMService.h"

#include "services/http/InsecureServerError.h"
#include "services/http/InvalidServerAddressError.h"
#include "services/http/JsonBody.h"
#include "services/http/ServerAddress.h"
#include "services/remote/LLMError.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QUrl>

#include <utility>

namespace {

QJsonObject message(const QString& role, const QString& content) {
    return QJsonObject{{QStringLiteral("role"), role}, {QStringLiteral("content"), content}};
}

}  // namespace

LLMService::LLMService(LLMProvider provider, QString apiKey, HttpTransport transport,
                       const QString& hostForTests)
    : provider_(provider),
      apiKey_(std::move(apiKey)),
      hostForTests_(hostForTests),
      transport_(std::move(transport)) {}

LLMService::LLMService(LLMProvider provider, QString apiKey, HttpTransport transport,
                       Options options)
    : provider_(provider),
      apiKey_(std::move(apiKey)),
      transport_(std::move(transport)),
      options_(std::move(options)) {}

QString LLMService::base() const {
    const bool openAI = provider_ == LLMProvider::openai;
    if (options_) {
        return openAI                              ? options_->openAIBaseURL
               : options_->anthropicHost.isEmpty() ? QString::fromLatin1(anthropicHost)
                                                   : options_->anthropicHost;
    }
    return !hostForTests_.isEmpty() ? hostForTests_
           : openAI                 ? QString::fromLatin1(openAIHost)
                                    : QString::fromLatin1(anthropicHost);
}

QUrl LLMService::endpointURL() const {
    const bool openAI = provider_ == LLMProvider::openai;
    return ServerAddress(base()).endpoint(QLatin1String(openAI ? openAIPath : anthropicPath));
}

void LLMService::checkServer() const {
    const ServerAddress server(base());
    if (server.verdict() == ServerAddress::Verdict::invalid || endpointURL().isEmpty()) {
        throw InvalidServerAddressError(server.base());
    }
    if (server.verdict() == ServerAddress::Verdict::plainHttpPublic) {
        throw InsecureServerError(endpoint());
    }
}

QByteArray LLMService::buildOpenAIRequestBody(const QString& systemPrompt, const QString& userText,
                                              const QString& model) {
    const QJsonObject body{
        {QStringLiteral("model"), model},
        {QStringLiteral("messages"), QJsonArray{message(QStringLiteral("system"), systemPrompt),
                                                message(QStringLiteral("user"), userText)}},
        {QStringLiteral("temperature"), openAITemperature},
        {QStringLiteral("max_tokens"), maxTokens},
    };
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

QByteArray LLMService::buildAnthropicRequestBody(const QString& systemPrompt,
                                                 const QString& userText, const QString& model) {
    const QJsonObject body{
        {QStringLiteral("model"), model},
        {QStringLiteral("system"), systemPrompt},
        {QStringLiteral("messages"), QJsonArray{message(QStringLiteral("user"), userText)}},
        {QStringLiteral("max_tokens"), maxTokens},
    };
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

QCoro::Task<QString> LLMService::format(QString text, QString systemPrompt) const {
    if (provider_ == LLMProvider::anthropic) {
        return callAnthropic(std::move(systemPrompt), std::move(text));
    }
    return callOpenAI(std::move(systemPrompt), std::move(text));
}

QCoro::Task<QString> LLMService::callOpenAI(QString systemPrompt, QString userText) const {
    const HttpHeaders headers{{"Authorization", "Bearer " + apiKey_.toUtf8()},
                              {"Content-Type", "application/json"}};
    checkServer();
    const QByteArray body =
        options_ ? buildOpenAIRequestBody(systemPrompt, userText, options_->openAIModel)
                 : buildOpenAIRequestBody(systemPrompt, userText);
    // Nothing of this object is touched after the request is on its way.
    const HttpReply reply = co_await transport_.post(endpointURL(), headers, body);
    co_return answerText(LLMProvider::openai, reply);
}

QCoro::Task<QString> LLMService::callAnthropic(QString systemPrompt, QString userText) const {
    const HttpHeaders headers{{"x-api-key", apiKey_.toUtf8()},
                              {"anthropic-version", anthropicVersion},
                              {"Content-Type", "application/json"}};
    checkServer();
    const QByteArray body =
        options_ ? buildAnthropicRequestBody(systemPrompt, userText, options_->anthropicModel)
                 : buildAnthropicRequestBody(systemPrompt, userText);
    const HttpReply reply = co_await transport_.post(endpointURL(), headers, body);
    co_return answerText(LLMProvider::anthropic, reply);
}

QString LLMService::answerText(LLMProvider provider, const HttpReply& reply) {
    if (reply.statusCode != 200) {
        throw LLMError::apiError(reply.bodyText().value_or(QString()));
    }
    return answerAt(provider, JsonBody::document(reply.body)).trimmed();
}

QString LLMService::answerAt(LLMProvider provider, const QJsonDocument& document) {
    const QJsonArray list = document.object()
                                .value(provider == LLMProvider::openai ? QStringLiteral("choices")
                                                                       : QStringLiteral("content"))
                                .toArray();
    if (!document.isObject() || list.isEmpty() || !list.first().isObject()) {
        throw LLMError::parseError();
    }
    const QJsonObject first = list.first().toObject();
    const QJsonValue answer =
        provider == LLMProvider::openai
            ? first.value(QStringLiteral("message")).toObject().value(QStringLiteral("content"))
            : first.value(QStringLiteral("text"));
    if (!answer.isString()) {
        throw LLMError::parseError();
    }
    return answer.toString();
}
