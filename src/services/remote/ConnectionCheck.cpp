#include "services/remote/ConnectionCheck.h"

#include "services/http/ServerAddress.h"
#include "services/http/TransportError.h"
#include "services/remote/LLMService.h"

#include <algorithm>

ConnectionCheck::Result ConnectionCheck::interpret(const HttpReply& reply) {
    if (!reply.statusCode)
        return {Outcome::notReachable, 0};
    const int status = *reply.statusCode;
    if (status == 200)
        return {Outcome::success, 0};
    if (status == 401 || status == 403)
        return {Outcome::keyRejected, status};
    return {Outcome::status, status};
}

QCoro::Task<ConnectionCheck::Result> ConnectionCheck::run(LLMProvider provider, QString baseURL,
                                                          QString apiKey, HttpTransport transport) {
    const bool anthropic = provider == LLMProvider::anthropic;
    const ServerAddress server(
        anthropic && baseURL.isEmpty() ? QString::fromLatin1(LLMService::anthropicHost) : baseURL);
    if (server.verdict() == ServerAddress::Verdict::plainHttpPublic) {
        co_return Result{Outcome::insecure, 0};
    }
    const QUrl url = server.endpoint(QLatin1String(modelsPath));
    if (server.verdict() == ServerAddress::Verdict::invalid || url.isEmpty()) {
        co_return Result{Outcome::notReachable, 0};
    }
    const HttpHeaders headers =
        anthropic ? HttpHeaders{{"x-api-key", apiKey.toUtf8()},
                                {"anthropic-version", LLMService::anthropicVersion}}
                  : HttpHeaders{{"Authorization", "Bearer " + apiKey.toUtf8()}};
    const HttpTransport bounded(transport.network(),
                                std::min(transport.transferTimeout(), timeout));
    Result result;
    try {
        const HttpReply reply = co_await bounded.get(url, headers);
        result = interpret(reply);
    } catch (const TransportError&) {
        result = Result{Outcome::notReachable, 0};
    }
    co_return result;
}
