#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// whisper.cpp's ggml models that suit dictation, with the sizes and SHA-256 checksums published
// for them (the files' LFS object ids at the pinned revision of the model repository).
class SpeechModelCatalogue {
public:
    struct Entry {
        QString name;       // "base.en": the "local_model" value and the file ggml-<name>.bin
        qint64 bytes;       // the file's exact size
        QByteArray sha256;  // lower-case hex
        bool multilingual;  // false: English only
    };

    static const QList<Entry>& entries();
    static std::optional<Entry> find(const QString& name);
    // Where the file is published, over https.
    static QUrl url(const Entry& entry);
};
