#pragma once

#include "services/http/HttpTransport.h"
#include "services/remote/LLMProvider.h"

#include <QString>

#include <qcoro/qcorotask.h>

#include <chrono>

// One free request to a provider (its model list) that tells whether the server answers and
// accepts the key. Nothing is logged here: the key travels only in the request's header.
class ConnectionCheck {
public:
    enum class Outcome { success, keyRejected, notReachable, status, insecure };
    struct Result {
        Outcome outcome = Outcome::notReachable;
        int statusCode = 0;  // the answer's status for `status`, else 0
    };

    static constexpr std::chrono::milliseconds timeout{10'000};
    static constexpr char modelsPath[] = "/v1/models";

    // baseURL: the OpenAI-compatible server's base for `openai`; for `anthropic` empty means
    // Anthropic's own host (tests give a loopback address).
    static QCoro::Task<Result> run(LLMProvider provider, QString baseURL, QString apiKey,
                                   HttpTransport transport);

    static Result interpret(const HttpReply& reply);
};
