#include "HttpClientTest.h"

#include "services/http/DecodingError.h"
#include "services/remote/LLMError.h"
#include "services/remote/LLMService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class LLMServiceTest : public HttpClientTest {
protected:
    Settled<QString> format(LLMProvider provider, const QString& text, const QString& prompt) {
        LLMService service(provider, QStringLiteral("key-123"), transport(), server.baseURL());
        return settle(service.format(text, prompt));
    }

    static QJsonObject sentObject(const RecordedRequest& request) {
        return QJsonDocument::fromJson(request.body).object();
    }
};

}  // namespace

TEST_F(LLMServiceTest, OpenAIRequestAndTrimmedAnswer) {
    server.enqueue(ScriptedResponse::json(
        200,
        R"({"choices":[{"message":{"role":"assistant","content":"  Dear Bob,\nthanks. \n"}}]})"));
    EXPECT_EQ(format(LLMProvider::openai, "dear bob thanks", "Write an e-mail.").value,
              QStringLiteral("Dear Bob,\nthanks."));

    ASSERT_EQ(server.requests().size(), 1);
    const RecordedRequest& request = server.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1/chat/completions");
    EXPECT_EQ(request.headerOrder({"Authorization", "Content-Type"}),
              (QList<QByteArray>{"Authorization", "Content-Type"}));
    EXPECT_EQ(request.header("Authorization"), "Bearer key-123");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_FALSE(request.body.contains('\n')) << "compact JSON";
    const QJsonObject expected{
        {"model", "gpt-5.4-mini"},
        {"messages", QJsonArray{QJsonObject{{"role", "system"}, {"content", "Write an e-mail."}},
                                QJsonObject{{"role", "user"}, {"content", "dear bob thanks"}}}},
        {"temperature", 0.3},
        {"max_tokens", 4096}};
    EXPECT_EQ(sentObject(request), expected);
}

TEST_F(LLMServiceTest, AnthropicRequestHasNoTemperatureAndKeepsAnEmptyPrompt) {
    server.enqueue(ScriptedResponse::json(
        200, R"({"content":[{"type":"text","text":"Hi there "}],"stop_reason":"end_turn"})"));
    EXPECT_EQ(format(LLMProvider::anthropic, "hi there", "").value, QStringLiteral("Hi there"));

    ASSERT_EQ(server.requests().size(), 1);
    const RecordedRequest& request = server.requests().first();
    EXPECT_EQ(request.path, "/v1/messages");
    EXPECT_EQ(
        request.headerOrder({"x-api-key", "anthropic-version", "Content-Type", "Authorization"}),
        (QList<QByteArray>{"x-api-key", "anthropic-version", "Content-Type"}));
    EXPECT_EQ(request.header("x-api-key"), "key-123");
    EXPECT_EQ(request.header("anthropic-version"), "2023-06-01");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    const QJsonObject expected{
        {"model", "claude-haiku-4-5-20251001"},
        {"system", ""},
        {"messages", QJsonArray{QJsonObject{{"role", "user"}, {"content", "hi there"}}}},
        {"max_tokens", 4096}};
    EXPECT_EQ(sentObject(request), expected);
}

TEST_F(LLMServiceTest, MissingAnswerPathIsParseErrorAndInvalidJsonIsDecodingError) {
    const QList<QPair<LLMProvider, QByteArray>> missing{
        {LLMProvider::openai, R"({"choices":[]})"},
        {LLMProvider::openai, R"({"choices":[{"message":{"role":"assistant"}}]})"},
        {LLMProvider::openai, R"({"choices":[{"message":{"content":null}}]})"},
        {LLMProvider::openai, R"({"choices":{"message":{"content":"x"}}})"},
        {LLMProvider::openai, R"({"choices":["x"]})"},
        {LLMProvider::openai, R"([{"message":{"content":"x"}}])"},
        {LLMProvider::anthropic, R"({"content":[{"type":"text"}]})"},
        {LLMProvider::anthropic, R"({"content":[]})"},
        {LLMProvider::anthropic, R"({"content":"x"})"},
        {LLMProvider::anthropic, R"({"choices":[{"message":{"content":"x"}}]})"},
    };
    for (const auto& [provider, body] : missing) {
        server.enqueue(ScriptedResponse::json(200, body));
        const auto error = format(provider, "t", "p").errorAs<LLMError>();
        ASSERT_TRUE(error) << body.data();
        EXPECT_EQ(error->kind(), LLMError::Kind::parseError);
        EXPECT_EQ(error->description(), QStringLiteral("Failed to parse LLM response"));
    }
    server.enqueue(ScriptedResponse::json(200, R"({"choices":[)"));
    EXPECT_TRUE(format(LLMProvider::openai, "t", "p").errorAs<DecodingError>());
}

TEST_F(LLMServiceTest, ErrorStatusCarriesTheProviderBodyVerbatim) {
    const QByteArray openAIKey =
        R"({"error":{"message":"Incorrect API key provided","code":"invalid_api_key"}})";
    const QByteArray anthropicKey = R"({"type":"error","error":{"type":"authentication_error"}})";
    const QByteArray quota = R"({"error":{"type":"insufficient_quota"}})";
    server.enqueue(ScriptedResponse::json(401, openAIKey));
    server.enqueue(ScriptedResponse::json(401, anthropicKey));
    server.enqueue(ScriptedResponse::json(429, quota));
    server.enqueue(ScriptedResponse::text(500, QByteArray("\xc3\x28", 2)));

    const auto openAI = format(LLMProvider::openai, "t", "p").errorAs<LLMError>();
    ASSERT_TRUE(openAI);
    EXPECT_EQ(openAI->kind(), LLMError::Kind::apiError);
    EXPECT_EQ(openAI->description(),
              QStringLiteral("LLM API error: ") + QString::fromUtf8(openAIKey));
    const auto anthropic = format(LLMProvider::anthropic, "t", "p").errorAs<LLMError>();
    ASSERT_TRUE(anthropic);
    EXPECT_EQ(anthropic->body(), QString::fromUtf8(anthropicKey));
    const auto limited = format(LLMProvider::openai, "t", "p").errorAs<LLMError>();
    ASSERT_TRUE(limited);
    EXPECT_EQ(limited->body(), QString::fromUtf8(quota));
    const auto broken = format(LLMProvider::anthropic, "t", "p").errorAs<LLMError>();
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->body(), QString()) << "a body that is not UTF-8 becomes the empty text";
    EXPECT_EQ(broken->description(), QStringLiteral("LLM API error: "));
}

TEST(LLMProvider, RawValuesAndASettingThatNamesNeitherFallsBackToOpenAI) {
    EXPECT_EQ(LLMProvider(LLMProvider::openai).rawValue(), QStringLiteral("openai"));
    EXPECT_EQ(LLMProvider(LLMProvider::anthropic).rawValue(), QStringLiteral("anthropic"));
    EXPECT_EQ(LLMProvider::fromSetting(QStringLiteral("anthropic")), LLMProvider::anthropic);
    EXPECT_EQ(LLMProvider::fromSetting(QStringLiteral("Anthropic")), LLMProvider::openai);
    EXPECT_EQ(LLMProvider::fromSetting(QString()), LLMProvider::openai);
    EXPECT_EQ(LLMService(LLMProvider::fromSetting("gemini"), "k").endpoint(),
              QStringLiteral("https://api.openai.com/v1/chat/completions"));
    EXPECT_EQ(LLMService(LLMProvider::anthropic, "k").endpoint(),
              QStringLiteral("https://api.anthropic.com/v1/messages"));
}
