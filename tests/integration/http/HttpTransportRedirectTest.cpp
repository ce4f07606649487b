#include "HttpClientTest.h"

#include "services/remote/APIError.h"
#include "services/remote/LLMError.h"
#include "services/remote/LLMService.h"
#include "services/remote/QuilloAPIService.h"
#include "services/remote/WhisperError.h"
#include "services/remote/WhisperService.h"
#include "support/FakeDeviceIdentity.h"
#include "support/InMemoryDefaultsStore.h"

namespace {

// A server that redirects every request to a second loopback server on another port: the
// second one stands for a foreign host that must never see the secret.
class HttpTransportRedirectTest : public HttpClientTest {
protected:
    ScriptedResponse redirect(int status) const {
        ScriptedResponse response = ScriptedResponse::text(status, "moved");
        response.headers.append({"Location", elsewhere.baseURL().toUtf8() + "/stolen"});
        return response;
    }

    LoopbackHttpServer elsewhere;
};

}  // namespace

TEST_F(HttpTransportRedirectTest, RedirectIsAnAnswerWithItsStatusAndIsNotFollowed) {
    for (const int status : {301, 302, 303, 307, 308}) {
        server.enqueue(redirect(status));
        const Settled<HttpReply> outcome = settle(transport().post(
            QUrl(server.baseURL() + "/api/format"),
            {{"Content-Type", "application/json"}, {"X-API-Secret", "secret"}}, "{}"));
        ASSERT_TRUE(outcome.finished);
        ASSERT_TRUE(outcome.value) << status;
        EXPECT_EQ(outcome.value->statusCode, status);
        EXPECT_EQ(outcome.value->body, "moved");
    }
    EXPECT_EQ(server.requests().size(), 5);
    EXPECT_EQ(elsewhere.connectionCount(), 0) << "the redirect target never hears from us";
}

TEST_F(HttpTransportRedirectTest, EveryClientReportsARedirectAsAnApiErrorAndKeepsItsSecret) {
    server.enqueue(redirect(302));
    server.enqueue(redirect(307));
    server.enqueue(redirect(302));

    WhisperService whisper("sk-whisper", transport(), server.baseURL());
    const auto whisperError = settle(whisper.transcribe("RIFF")).errorAs<WhisperError>();
    ASSERT_TRUE(whisperError);
    EXPECT_EQ(whisperError->description(), QStringLiteral("Whisper API error (302): moved"));

    LLMService llm(LLMProvider::anthropic, "sk-ant", transport(), server.baseURL());
    const auto llmError = settle(llm.format("t", "p")).errorAs<LLMError>();
    ASSERT_TRUE(llmError);
    EXPECT_EQ(llmError->description(), QStringLiteral("LLM API error: moved"));

    InMemoryDefaultsStore store;
    FakeDeviceIdentity identity;
    QuilloAPIService backend(server.baseURL(), "shared-secret", store, identity, transport());
    const auto apiError = settle(backend.format("t", "p", std::nullopt)).errorAs<APIError>();
    ASSERT_TRUE(apiError);
    EXPECT_EQ(apiError->kind(), APIError::Kind::serverError);
    EXPECT_EQ(apiError->message(), QStringLiteral("moved"));

    EXPECT_EQ(server.requests().size(), 3);
    EXPECT_EQ(elsewhere.connectionCount(), 0);
}

TEST_F(HttpTransportRedirectTest, ProxyAuthenticationRequiredIsAnAnswerNotATransportFailure) {
    ScriptedResponse proxyAuth = ScriptedResponse::text(407, "proxy says no");
    proxyAuth.headers.append(qMakePair(QByteArrayLiteral("Proxy-Authenticate"),
                                       QByteArrayLiteral("Basic realm=\"loopback\"")));
    server.enqueue(proxyAuth);
    server.enqueue(ScriptedResponse::text(407, "proxy says no"));

    const Settled<HttpReply> outcome = settle(
        transport().post(QUrl(server.baseURL() + "/x"), {{"Content-Type", "text/plain"}}, "{}"));
    ASSERT_TRUE(outcome.value);
    EXPECT_EQ(outcome.value->statusCode, 407);
    EXPECT_EQ(outcome.value->body, "proxy says no");

    WhisperService whisper("k", transport(), server.baseURL());
    const auto error = settle(whisper.transcribe("RIFF")).errorAs<WhisperError>();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->description(), QStringLiteral("Whisper API error (407): proxy says no"));
}
