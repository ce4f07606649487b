#include "HttpClientTest.h"

#include "services/remote/ConnectionCheck.h"
#include "services/remote/LLMService.h"
#include "services/remote/WhisperService.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

using namespace std::chrono_literals;

// A proxy that only counts who comes to it: a request that reaches it would have carried the key
// in clear to a third party.
class CountingProxy {
public:
    CountingProxy() {
        listener_.listen(QHostAddress::LocalHost);
        QObject::connect(&listener_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = listener_.nextPendingConnection()) {
                ++connections_;
                socket->close();
            }
        });
    }
    quint16 port() const { return listener_.serverPort(); }
    int connections() const { return connections_; }

private:
    QTcpServer listener_;
    int connections_ = 0;
};

// The clients send through a manager left at its defaults, with the application's proxy pointed
// at the counting proxy, as a user's http_proxy would point the system's.
class PlainHttpRuleTest : public HttpClientTest {
protected:
    PlainHttpRuleTest() {
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), proxy.port()));
    }
    ~PlainHttpRuleTest() override { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    HttpTransport defaultTransport() { return HttpTransport(&defaultNetwork, 3'000ms); }

    // Every client that takes the user's base address, once each.
    void sendEverywhere(const QString& base) {
        WhisperService whisper(QStringLiteral("sk-test-key"), defaultTransport(),
                               WhisperService::Options{base, QStringLiteral("m"), {}});
        settle(whisper.transcribe(sampleWav(), std::nullopt));
        const LLMService llm(LLMProvider::openai, QStringLiteral("sk-test-key"), defaultTransport(),
                             LLMService::Options{base, "m", "unused", {}});
        settle(llm.format(QStringLiteral("a"), QStringLiteral("b")));
        settle(ConnectionCheck::run(LLMProvider::openai, base, QStringLiteral("sk-test-key"),
                                    defaultTransport()));
    }

    CountingProxy proxy;
    QNetworkAccessManager defaultNetwork;
};

// Addresses the strict parser rejects, which the lenient one would repair into a public or a
// loopback http address: nothing may leave.
TEST_F(PlainHttpRuleTest, InvalidAddressesReachNeitherTheServerNorTheProxy) {
    const QString port = QString::number(server.port());
    const QStringList invalid = {
        QStringLiteral("http://8.8.8.8/a b"),
        QStringLiteral("http://8.8.8.8/%zz"),
        QStringLiteral("http://8.8.8.8\\"),
        QStringLiteral("http://127.0.0.1:") + port + QStringLiteral("/a b"),
        QStringLiteral("http://127.0.0.1:") + port + QStringLiteral("/%zz"),
    };
    for (const QString& base : invalid) {
        sendEverywhere(base);
        EXPECT_EQ(server.connectionCount(), 0) << base.toStdString();
        EXPECT_EQ(proxy.connections(), 0) << base.toStdString();
    }
}

// The key goes in clear to a server on this computer or the local network, so it must not make a
// detour through the system's proxy.
TEST_F(PlainHttpRuleTest, LocalPlainHttpServerIsReachedWithoutTheProxy) {
    const QString localhost = QStringLiteral("http://localhost:%1").arg(server.port());
    for (const QString& base : {server.baseURL(), localhost}) {
        server.enqueue(ScriptedResponse::json(200, R"({"text":"hallo"})"));
        WhisperService whisper(QStringLiteral("sk-test-key"), defaultTransport(),
                               WhisperService::Options{base, QStringLiteral("m"), {}});
        EXPECT_EQ(settle(whisper.transcribe(sampleWav(), std::nullopt)).value, "hallo")
            << base.toStdString();
    }
    EXPECT_EQ(server.requests().size(), 2);
    EXPECT_EQ(proxy.connections(), 0);
}

}  // namespace
