#include "services/http/LocalServerProxyFactory.h"

#include <QNetworkProxy>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// With a proxy named for the application (as http_proxy names one for the system), plain http to
// this computer or the local network goes direct; everything else still takes the proxy.
TEST(LocalServerProxyFactory, PlainHttpToALocalServerBypassesTheProxy) {
    const QNetworkProxy proxy(QNetworkProxy::HttpProxy, QStringLiteral("proxy.example"), 3128);
    QNetworkProxy::setApplicationProxy(proxy);
    LocalServerProxyFactory factory;
    const auto proxyFor = [&](const char* url) {
        const QList<QNetworkProxy> answer = factory.queryProxy(QNetworkProxyQuery(QUrl(url)));
        return answer.isEmpty() ? QNetworkProxy::DefaultProxy : answer.first().type();
    };
    for (const char* local : {"http://192.168.1.20:8000/v1/models", "http://10.0.0.5/v1",
                              "http://[fd00::2]:8080/v1", "http://localhost:11434/v1"}) {
        EXPECT_EQ(proxyFor(local), QNetworkProxy::NoProxy) << local;
    }
    for (const char* other :
         {"https://api.openai.com/v1/models", "https://192.168.1.20/v1", "http://8.8.8.8/v1"}) {
        EXPECT_EQ(proxyFor(other), QNetworkProxy::HttpProxy) << other;
    }
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

}  // namespace
