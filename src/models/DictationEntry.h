#pragma once

#include <QDateTime>
#include <QString>

// One delivered dictation in the history.
struct DictationEntry {
    QString text;      // trimmed of surrounding white space and line breaks
    double timestamp;  // seconds since 2001-01-01 00:00:00 UTC, kept exactly as stored
    qint64 wordCount;
    QString mode;  // the mode's raw value

    static constexpr qint64 referenceDateUnixSeconds = 978307200;

    static double timestampFrom(const QDateTime& date);
    QDateTime date() const;
    // Non-empty pieces between U+0020 spaces; tabs and line breaks do not separate words.
    static qint64 countWords(const QString& text);

    friend bool operator==(const DictationEntry&, const DictationEntry&) = default;
};
