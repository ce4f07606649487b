#include "services/http/TransportError.h"

#include <utility>

TransportError::TransportError(QNetworkReply::NetworkError networkError, QString errorText)
    : networkError_(networkError), kind_(kindOf(networkError)), errorText_(std::move(errorText)) {}

TransportError::Kind TransportError::kindOf(QNetworkReply::NetworkError networkError) {
    switch (networkError) {
        case QNetworkReply::HostNotFoundError:
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
        // Qt's catch-all for socket errors such as "Network unreachable".
        case QNetworkReply::UnknownNetworkError:
            return Kind::notConnected;
        case QNetworkReply::TimeoutError:
        case QNetworkReply::OperationCanceledError:
            return Kind::timedOut;
        default:
            return Kind::other;
    }
}
