#include "services/http/HttpTransport.h"

#include "services/http/LocalServerProxyFactory.h"
#include "services/http/TransportError.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QStringDecoder>

#include <qcoro/qcoronetworkreply.h>

#include <memory>

namespace {

struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

// A manager left at its default proxy gets the factory that sends plain http to a local server
// directly; one given a proxy of its own keeps it.
QNetworkAccessManager& withLocalServersDirect(QNetworkAccessManager& manager) {
    if (!manager.proxyFactory() && manager.proxy().type() == QNetworkProxy::DefaultProxy) {
        manager.setProxyFactory(new LocalServerProxyFactory);
    }
    return manager;
}

}  // namespace

std::optional<QString> HttpReply::bodyText() const {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(body);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

HttpTransport::HttpTransport(QNetworkAccessManager* network,
                             std::chrono::milliseconds transferTimeout)
    : network_(network), transferTimeout_(transferTimeout) {}

QNetworkAccessManager& HttpTransport::processManager() {
    // Parented to the application so that it goes before the event loop's objects do.
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
    }
    return *manager;
}

bool HttpTransport::isHttpStatusError(QNetworkReply::NetworkError error) {
    return (error >= QNetworkReply::ContentAccessDenied &&
            error <= QNetworkReply::UnknownContentError) ||
           error == QNetworkReply::ProtocolInvalidOperationError ||
           // A 407 from the server itself: we configure no proxy credentials to answer it with.
           error == QNetworkReply::ProxyAuthenticationRequiredError ||
           (error >= QNetworkReply::InternalServerError &&
            error <= QNetworkReply::UnknownServerError);
}

QCoro::Task<HttpReply> HttpTransport::post(QUrl url, HttpHeaders headers, QByteArray body) const {
    QNetworkRequest request(url);
    for (const auto& [name, value] : headers) {
        request.setRawHeader(name, value);
    }
    request.setTransferTimeout(static_cast<int>(transferTimeout_.count()));
    // Qt would follow a redirect and replay our headers (API key, shared secret) to wherever
    // it points: a 3xx is handed back as the answer instead.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    QNetworkAccessManager& manager =
        withLocalServersDirect(network_ ? *network_ : processManager());

    // Freed with deleteLater only after it finished: deleting an unfinished reply would leave
    // this coroutine suspended for good.
    std::unique_ptr<QNetworkReply, DeleteLater> reply(manager.post(request, body));
    QNetworkReply* pending = reply.get();
    co_await pending;
    co_return settle(*reply);
}

QCoro::Task<HttpReply> HttpTransport::get(QUrl url, HttpHeaders headers) const {
    QNetworkRequest request(url);
    for (const auto& [name, value] : headers) {
        request.setRawHeader(name, value);
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(static_cast<int>(transferTimeout_.count()));
    QNetworkAccessManager& manager =
        withLocalServersDirect(network_ ? *network_ : processManager());
    std::unique_ptr<QNetworkReply, DeleteLater> reply(manager.get(request));
    QNetworkReply* pending = reply.get();
    co_await pending;
    co_return settle(*reply);
}

HttpReply HttpTransport::settle(QNetworkReply& reply) {
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply.error();
    const bool answered =
        error == QNetworkReply::NoError || (status.isValid() && isHttpStatusError(error));
    if (!answered) {
        throw TransportError(error, reply.errorString());
    }
    HttpReply result;
    if (status.isValid()) {
        result.statusCode = status.toInt();
    }
    result.body = reply.readAll();
    return result;
}
