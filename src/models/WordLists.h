#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One "heard → written" pair applied to transcripts.
struct Replacement {
    QString heard;
    QString written;

    friend bool operator==(const Replacement&, const Replacement&) = default;
};

// The stored vocabulary and replacement documents: compact JSON arrays, of strings and of
// {"heard": ..., "written": ...} objects.
class WordLists {
public:
    // None when the document is not an array of the expected, well-typed elements.
    static std::optional<QStringList> decodeVocabulary(const QByteArray& document);
    static QByteArray encodeVocabulary(const QStringList& words);
    static std::optional<QList<Replacement>> decodeReplacements(const QByteArray& document);
    static QByteArray encodeReplacements(const QList<Replacement>& replacements);
};
