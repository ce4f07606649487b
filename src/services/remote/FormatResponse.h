#pragma once

#include <QByteArray>
#include <QString>

// The success body: a JSON object with the string member "text"; other members are ignored.
struct FormatResponse {
    QString text;

    // Throws DecodingError when the body is not such an object.
    static FormatResponse decode(const QByteArray& body);
};
