#include "services/http/ServerAddress.h"

#include <QHostAddress>

ServerAddress::ServerAddress(const QString& typed) {
    QString base = typed.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (base.endsWith(QLatin1String("/v1")))
        base.chop(3);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    base_ = base;

    const QUrl url(base, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        verdict_ = Verdict::invalid;
    } else if (url.scheme() == QLatin1String("https")) {
        verdict_ = Verdict::secure;
    } else if (url.scheme() == QLatin1String("http")) {
        verdict_ = isLocalHost(url.host()) ? Verdict::plainHttpLocal : Verdict::plainHttpPublic;
    } else {
        verdict_ = Verdict::invalid;
    }
    if (verdict_ != Verdict::invalid) {
        url_ = url;
    }
}

QUrl ServerAddress::endpoint(const QString& path) const {
    if (url_.isEmpty()) {
        return {};
    }
    QUrl url = url_;
    url.setPath(url_.path(QUrl::FullyEncoded) + path, QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

bool ServerAddress::isLocalHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    if (address.isNull())
        return false;  // a name: where it leads is not known here
    static const QList<QPair<QHostAddress, int>> privateNets = {
        QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
        QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16")),
    };
    if (address.isLoopback() || address.isLinkLocal() || address.isUniqueLocalUnicast()) {
        return true;
    }
    for (const auto& net : privateNets) {
        if (address.isInSubnet(net))
            return true;
    }
    return false;
}
