#include "services/remote/APIError.h"

#include <utility>

APIError::APIError(Kind kind, QString message) : kind_(kind), message_(std::move(message)) {}

APIError APIError::serverError(QString message) {
    return APIError(Kind::serverError, std::move(message));
}

APIError APIError::networkError(QString underlyingDescription) {
    return APIError(Kind::networkError, std::move(underlyingDescription));
}

QString APIError::description() const {
    switch (kind_) {
        case Kind::serverError:
            return QStringLiteral("Server error: ") + message_;
        case Kind::networkError:
            return QStringLiteral("Network error: ") + message_;
    }
    return {};
}

QString APIError::textualForm() const {
    const QString name =
        kind_ == Kind::serverError ? QStringLiteral("serverError") : QStringLiteral("networkError");
    return name + QStringLiteral("(\"") + message_ + QStringLiteral("\")");
}
