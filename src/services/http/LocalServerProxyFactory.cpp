#include "services/http/LocalServerProxyFactory.h"

#include "services/http/ServerAddress.h"

#include <QUrl>

QList<QNetworkProxy> LocalServerProxyFactory::queryProxy(const QNetworkProxyQuery& query) {
    if (goesDirect(query.url())) {
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    }
    return QNetworkProxyFactory::proxyForQuery(query);
}

bool LocalServerProxyFactory::goesDirect(const QUrl& url) {
    return url.scheme() == QLatin1String("http") && ServerAddress::isLocalHost(url.host());
}
