#include "services/http/JsonBody.h"

#include "services/http/DecodingError.h"

#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>

QJsonDocument JsonBody::document(const QByteArray& body) {
    QJsonParseError parseError;
    QJsonDocument parsed = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        throw DecodingError(QStringLiteral("invalid JSON at offset %1: %2")
                                .arg(parseError.offset)
                                .arg(parseError.errorString()));
    }
    return parsed;
}

QJsonObject JsonBody::object(const QByteArray& body) {
    const QJsonDocument parsed = document(body);
    if (!parsed.isObject()) {
        throw DecodingError(QStringLiteral("expected a JSON object"));
    }
    return parsed.object();
}

QString JsonBody::requiredString(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined()) {
        throw DecodingError(QStringLiteral("no value for key \"%1\"").arg(key));
    }
    if (!value.isString()) {
        throw DecodingError(QStringLiteral("expected a string for key \"%1\"").arg(key));
    }
    return value.toString();
}

qint64 JsonBody::requiredInteger(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined()) {
        throw DecodingError(QStringLiteral("no value for key \"%1\"").arg(key));
    }
    const double number = value.toDouble();
    constexpr double limit = 9.2e18;
    if (!value.isDouble() || std::trunc(number) != number || std::fabs(number) > limit) {
        throw DecodingError(QStringLiteral("expected an integer for key \"%1\"").arg(key));
    }
    return static_cast<qint64>(number);
}
