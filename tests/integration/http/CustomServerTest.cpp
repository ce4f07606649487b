#include "HttpClientTest.h"

#include "services/http/InsecureServerError.h"
#include "services/remote/ConnectionCheck.h"
#include "services/remote/LLMService.h"
#include "services/remote/WhisperService.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

namespace {

using namespace std::chrono_literals;

// An OpenAI-compatible server of the user's own, the connection check, and the vocabulary.
class CustomServerTest : public HttpClientTest {
protected:
    Settled<QString> transcribe(WhisperService::Options options) {
        WhisperService service(QStringLiteral("sk-test-key"), transport(), std::move(options));
        return settle(service.transcribe(sampleWav(), std::nullopt));
    }

    Settled<ConnectionCheck::Result> check(LLMProvider provider, const QString& base,
                                           std::chrono::milliseconds timeout = 10'000ms) {
        return settle(ConnectionCheck::run(provider, base, QStringLiteral("sk-secret-123"),
                                           transport(timeout)));
    }

    // The upload written out independently of the client, with the optional prompt part.
    static QByteArray expectedBody(const QByteArray& b, const QByteArray& model,
                                   const QByteArray& prompt = {}) {
        QByteArray body = "--" + b + "\r\nContent-Disposition: form-data; name=\"model\"\r\n\r\n" +
                          model + "\r\n";
        if (!prompt.isEmpty()) {
            body += "--" + b + "\r\nContent-Disposition: form-data; name=\"prompt\"\r\n\r\n" +
                    prompt + "\r\n";
        }
        body += "--" + b +
                "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"audio.wav\"\r\n" +
                "Content-Type: audio/wav\r\n\r\n" + sampleWav() + "\r\n";
        return body + "--" + b + "--\r\n";
    }

    // A port on which nothing listens.
    static QString refusingBase() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return QStringLiteral("http://127.0.0.1:%1").arg(port);
    }
};

TEST_F(CustomServerTest, DefaultOptionsSendTheSameBytesAsBefore) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"x"})"));
    server.enqueue(ScriptedResponse::json(200, R"({"text":"x"})"));
    transcribe({server.baseURL(), "gpt-4o-mini-transcribe", {}});
    WhisperService plain(QStringLiteral("sk-test-key"), transport(), server.baseURL());
    settle(plain.transcribe(sampleWav(), std::nullopt));
    ASSERT_EQ(server.requests().size(), 2);
    for (const RecordedRequest& request : server.requests()) {
        EXPECT_EQ(request.path, "/v1/audio/transcriptions");
        EXPECT_EQ(request.body, expectedBody(boundaryOf(request), "gpt-4o-mini-transcribe"));
    }
}

// "…/v1" as servers document their base, a model of the user's choosing; nothing else changes.
TEST_F(CustomServerTest, CustomBaseAndModelChangeOnlyTheAddressAndTheModelPart) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"hallo"})"));
    EXPECT_EQ(transcribe({server.baseURL() + "/v1/", "whisper-large-v3", {}}).value, "hallo");
    ASSERT_EQ(server.requests().size(), 1);
    const RecordedRequest& request = server.requests().first();
    EXPECT_EQ(request.path, "/v1/audio/transcriptions");
    EXPECT_EQ(request.header("Authorization"), "Bearer sk-test-key");
    EXPECT_EQ(request.body, expectedBody(boundaryOf(request), "whisper-large-v3"));

    server.enqueue(ScriptedResponse::json(200, R"({"choices":[{"message":{"content":"Hi"}}]})"));
    const LLMService llm(LLMProvider::openai, "key-123", transport(),
                         LLMService::Options{server.baseURL(), "llama3.1:8b", "unused", {}});
    EXPECT_EQ(settle(llm.format("hi", "Be brief.")).value, "Hi");
    ASSERT_EQ(server.requests().size(), 2);
    const RecordedRequest& chat = server.requests()[1];
    EXPECT_EQ(chat.path, "/v1/chat/completions");
    EXPECT_EQ(chat.body, LLMService::buildOpenAIRequestBody("Be brief.", "hi")
                             .replace("gpt-5.4-mini", "llama3.1:8b"));
}

TEST_F(CustomServerTest, AnthropicModelOverrideKeepsTheRestOfTheBody) {
    server.enqueue(ScriptedResponse::json(200, R"({"content":[{"text":"ok"}]})"));
    const LLMService llm(LLMProvider::anthropic, "key-a", transport(),
                         LLMService::Options{{}, {}, "claude-sonnet-4-5", server.baseURL()});
    EXPECT_EQ(settle(llm.format("t", "p")).value, "ok");
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().path, "/v1/messages");
    EXPECT_EQ(QJsonDocument::fromJson(server.requests().first().body).object().value("model"),
              "claude-sonnet-4-5");
}

TEST_F(CustomServerTest, VocabularyIsSentAsThePromptPartBeforeTheFile) {
    server.enqueue(ScriptedResponse::json(200, R"({"text":"x"})"));
    transcribe({server.baseURL(), "gpt-4o-mini-transcribe", {" Quillo ", "", "Dr. Okonkwo"}});
    ASSERT_EQ(server.requests().size(), 1);
    const RecordedRequest& request = server.requests().first();
    EXPECT_EQ(request.body,
              expectedBody(boundaryOf(request), "gpt-4o-mini-transcribe", "Quillo, Dr. Okonkwo"));
}

// The key would cross the internet in clear: nothing is sent at all.
TEST_F(CustomServerTest, PlainHttpToAPublicHostIsRefusedBeforeSending) {
    const Settled<QString> refused = transcribe({"http://203.0.113.7:8080", "m", {}});
    ASSERT_TRUE(refused.finished);
    EXPECT_TRUE(refused.errorAs<InsecureServerError>().has_value());
    const LLMService llm(LLMProvider::openai, "key", transport(),
                         LLMService::Options{"http://api.example.com", "m", {}, {}});
    EXPECT_TRUE(settle(llm.format("a", "b")).errorAs<InsecureServerError>().has_value());
    const auto checked = check(LLMProvider::openai, "http://203.0.113.7:8080");
    EXPECT_EQ(checked.value->outcome, ConnectionCheck::Outcome::insecure);
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST_F(CustomServerTest, CheckAsksForTheModelListWithTheKey) {
    server.enqueue(ScriptedResponse::json(200, R"({"data":[]})"));
    server.enqueue(ScriptedResponse::json(200, R"({"data":[]})"));
    EXPECT_EQ(check(LLMProvider::openai, server.baseURL()).value->outcome,
              ConnectionCheck::Outcome::success);
    EXPECT_EQ(check(LLMProvider::anthropic, server.baseURL()).value->outcome,
              ConnectionCheck::Outcome::success);
    ASSERT_EQ(server.requests().size(), 2);
    const RecordedRequest& openai = server.requests()[0];
    EXPECT_EQ(openai.method, "GET");
    EXPECT_EQ(openai.path, "/v1/models");
    EXPECT_EQ(openai.header("Authorization"), "Bearer sk-secret-123");
    const RecordedRequest& anthropic = server.requests()[1];
    EXPECT_EQ(anthropic.path, "/v1/models");
    EXPECT_EQ(anthropic.header("x-api-key"), "sk-secret-123");
    EXPECT_EQ(anthropic.header("anthropic-version"), "2023-06-01");
    EXPECT_FALSE(anthropic.hasHeader("Authorization"));
}

TEST_F(CustomServerTest, CheckTellsRejectedKeyOtherStatusRefusedAndTimeOut) {
    server.enqueue(ScriptedResponse::json(401, R"({"error":"bad key"})"));
    server.enqueue(ScriptedResponse::json(403, "{}"));
    server.enqueue(ScriptedResponse::json(500, "{}"));
    EXPECT_EQ(check(LLMProvider::openai, server.baseURL()).value->outcome,
              ConnectionCheck::Outcome::keyRejected);
    EXPECT_EQ(check(LLMProvider::openai, server.baseURL()).value->outcome,
              ConnectionCheck::Outcome::keyRejected);
    const auto status = check(LLMProvider::openai, server.baseURL());
    EXPECT_EQ(status.value->outcome, ConnectionCheck::Outcome::status);
    EXPECT_EQ(status.value->statusCode, 500);

    EXPECT_EQ(check(LLMProvider::openai, refusingBase()).value->outcome,
              ConnectionCheck::Outcome::notReachable);

    ScriptedResponse silent;
    silent.ending = ScriptedResponse::Ending::neverAnswer;
    server.enqueue(silent);
    const auto timedOut = check(LLMProvider::openai, server.baseURL(), 300ms);
    ASSERT_TRUE(timedOut.finished);
    EXPECT_EQ(timedOut.value->outcome, ConnectionCheck::Outcome::notReachable);
}

}  // namespace
