#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// Reading the answers' JSON. Every failure throws DecodingError naming what was wrong.
class JsonBody {
public:
    // Any well-formed JSON document.
    static QJsonDocument document(const QByteArray& body);
    // A well-formed document whose top level is an object.
    static QJsonObject object(const QByteArray& body);
    static QString requiredString(const QJsonObject& object, const QString& key);
    // A JSON number without a fractional part that fits 64 bits.
    static qint64 requiredInteger(const QJsonObject& object, const QString& key);
};
