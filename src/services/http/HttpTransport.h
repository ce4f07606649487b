#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <optional>

class QNetworkAccessManager;

// A complete answer: the status (none when the answer was not HTTP) and the whole body.
struct HttpReply {
    std::optional<int> statusCode;
    QByteArray body;

    // The body as text, or none when it is not valid UTF-8.
    std::optional<QString> bodyText() const;
};

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// One POST and its whole answer, on the main thread. Holds no state of its own beyond the
// manager to send through and the transfer time-out; the remote clients copy it.
class HttpTransport {
public:
    static constexpr std::chrono::milliseconds defaultTransferTimeout{60'000};

    // network: none means the process-wide manager. Implicit so that a client can be handed a
    // manager directly.
    HttpTransport(QNetworkAccessManager* network = nullptr,  // NOLINT(google-explicit-constructor)
                  std::chrono::milliseconds transferTimeout = defaultTransferTimeout);

    std::chrono::milliseconds transferTimeout() const { return transferTimeout_; }
    // The manager sent through; none means the process-wide one.
    QNetworkAccessManager* network() const { return network_; }

    // Sends the headers in the given order. Throws TransportError when no complete answer
    // arrived; an HTTP error status is an answer, not a failure. Redirects are never followed:
    // a 3xx comes back as the answer, so no header reaches another address.
    QCoro::Task<HttpReply> post(QUrl url, HttpHeaders headers, QByteArray body) const;
    // The same for a GET without body. Redirects are not followed: the headers carry a key.
    QCoro::Task<HttpReply> get(QUrl url, HttpHeaders headers) const;

    // True for the codes Qt derives from an HTTP status the server did send (401, 404, 407,
    // 500...), as opposed to failures of the connection or of the answer's framing.
    static bool isHttpStatusError(QNetworkReply::NetworkError error);

private:
    static QNetworkAccessManager& processManager();
    static HttpReply settle(QNetworkReply& reply);

    QPointer<QNetworkAccessManager> network_;
    std::chrono::milliseconds transferTimeout_;
};
