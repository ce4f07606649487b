#pragma once

#include <QNetworkProxyFactory>

// Plain http to this computer or the local network goes straight to the server: through a
// proxy, the key would cross to the proxy in clear. Everything else takes the proxy the
// application or the system names, as it would without this factory.
class LocalServerProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;

    // True when a plain-http request to this URL must bypass every proxy.
    static bool goesDirect(const QUrl& url);
};
