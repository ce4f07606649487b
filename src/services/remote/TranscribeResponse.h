#pragma once

#include <QByteArray>
#include <QString>

// The backend's transcription body: "text" (string) and "words" (integer, as the backend
// counted them), both required; other members are ignored.
struct TranscribeResponse {
    QString text;
    qint64 words = 0;

    // Throws DecodingError when a member is missing or of another type.
    static TranscribeResponse decode(const QByteArray& body);
};
