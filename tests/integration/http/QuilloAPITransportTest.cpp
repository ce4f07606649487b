#include "HttpClientTest.h"

#include "services/http/TransportError.h"
#include "services/remote/LLMService.h"
#include "services/remote/QuilloAPIService.h"
#include "services/remote/WhisperService.h"
#include "support/FakeDeviceIdentity.h"
#include "support/InMemoryDefaultsStore.h"

#include <QElapsedTimer>
#include <QTcpServer>

using namespace std::chrono_literals;

namespace {

class QuilloAPITransportTest : public HttpClientTest {
protected:
    Settled<TranscribeResponse> transcribeAt(const QString& baseURL,
                                             std::chrono::milliseconds timeout = 60s) {
        QuilloAPIService service(baseURL, "s", store, identity, transport(timeout));
        return settle(service.transcribe("RIFF", std::nullopt), 10s);
    }

    InMemoryDefaultsStore store;
    FakeDeviceIdentity identity;
};

}  // namespace

TEST_F(QuilloAPITransportTest, RefusedConnectionIsOtherTransportError) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    const Settled<TranscribeResponse> outcome =
        transcribeAt(QStringLiteral("http://127.0.0.1:%1").arg(closedPort));
    ASSERT_TRUE(outcome.finished);
    const auto error = outcome.errorAs<TransportError>();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->networkError(), QNetworkReply::ConnectionRefusedError);
    EXPECT_EQ(error->kind(), TransportError::Kind::other);
    EXPECT_FALSE(error->description().isEmpty());
}

TEST_F(QuilloAPITransportTest, SilentServerTimesOutAfterTheTransferTimeOut) {
    ScriptedResponse silent;
    silent.ending = ScriptedResponse::Ending::neverAnswer;
    server.enqueue(silent);
    QElapsedTimer clock;
    clock.start();
    const Settled<TranscribeResponse> outcome = transcribeAt(server.baseURL(), 300ms);
    ASSERT_TRUE(outcome.finished) << "the transfer time-out ends the request";
    EXPECT_GE(clock.elapsed(), 250);
    const auto error = outcome.errorAs<TransportError>();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), TransportError::Kind::timedOut) << error->errorText().toStdString();
    // Qt aborts a reply whose transfer time-out fires.
    EXPECT_EQ(error->networkError(), QNetworkReply::OperationCanceledError);
    EXPECT_EQ(server.requests().size(), 1) << "nothing is retried";
}

TEST_F(QuilloAPITransportTest, ConnectionDroppedMidBodyIsTransportErrorForEveryClient) {
    ScriptedResponse dropped =
        ScriptedResponse::json(200, R"({"text":"Hallo Welt, wie geht es?","words":5})");
    dropped.ending = ScriptedResponse::Ending::dropMidBody;
    for (int i = 0; i < 3; ++i) {
        server.enqueue(dropped);
    }
    std::vector<std::optional<TransportError>> errors;
    errors.push_back(transcribeAt(server.baseURL()).errorAs<TransportError>());
    WhisperService whisper("k", transport(), server.baseURL());
    errors.push_back(settle(whisper.transcribe("RIFF")).errorAs<TransportError>());
    LLMService llm(LLMProvider::openai, "k", transport(), server.baseURL());
    errors.push_back(settle(llm.format("t", "p")).errorAs<TransportError>());
    for (const auto& error : errors) {
        ASSERT_TRUE(error);
        EXPECT_EQ(error->networkError(), QNetworkReply::RemoteHostClosedError);
        EXPECT_EQ(error->kind(), TransportError::Kind::other);
    }
    EXPECT_EQ(server.requests().size(), 3) << "nothing is retried";
}
