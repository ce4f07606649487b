#pragma once

#include <QByteArray>
#include <QString>

// The success body: a JSON object with the string member "text"; other members are ignored.
struct WhisperResponse {
    QString text;

    // Throws DecodingError when the body is not such an object.
    static WhisperResponse decode(const QByteArray& body);
};
