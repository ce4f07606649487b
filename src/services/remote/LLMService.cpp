#include "services/remote/LLMService.h"

#include "services/http/InsecureServerError.h"
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

QString LLMService::endpoint() const {
    const bool openAI = provider_ == LLMProvider::openai;
    if (options_) {
        const QString host = openAI ? ServerAddress(options_->openAIBaseURL).base()
                             : options_->anthropicHost.isEmpty()
                                 ? QString::fromLatin1(anthropicHost)
                                 : options_->anthropicHost;
        return host + QLatin1String(openAI ? openAIPath : anthropicPath);
    }
    const QString host = !hostForTests_.isEmpty() ? hostForTests_
                         : openAI                 ? QString::fromLatin1(openAIHost)
                                                  : QString::fromLatin1(anthropicHost);
    return host + QLatin1String(openAI ? openAIPath : anthropicPath);
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
    if (options_ && ServerAddress(options_->openAIBaseURL).verdict() ==
                        ServerAddress::Verdict::plainHttpPublic) {
        throw InsecureServerError(endpoint());
    }
    const QByteArray body =
        options_ ? buildOpenAIRequestBody(systemPrompt, userText, options_->openAIModel)
                 : buildOpenAIRequestBody(systemPrompt, userText);
    // Nothing of this object is touched after the request is on its way.
    const HttpReply reply = co_await transport_.post(QUrl(endpoint()), headers, body);
    co_return answerText(LLMProvider::openai, reply);
}

QCoro::Task<QString> LLMService::callAnthropic(QString systemPrompt, QString userText) const {
    const HttpHeaders headers{{"x-api-key", apiKey_.toUtf8()},
                              {"anthropic-version", anthropicVersion},
                              {"Content-Type", "application/json"}};
    const QByteArray body =
        options_ ? buildAnthropicRequestBody(systemPrompt, userText, options_->anthropicModel)
                 : buildAnthropicRequestBody(systemPrompt, userText);
    const HttpReply reply = co_await transport_.post(QUrl(endpoint()), headers, body);
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
