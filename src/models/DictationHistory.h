#pragma once

#include "models/DictationEntry.h"

#include <QByteArray>
#include <QList>

#include <optional>

// The stored history document: a compact JSON array of entries, newest first, at most 50.
class DictationHistory {
public:
    static constexpr qsizetype limit = 50;

    // None when the document is not an array of complete, well-typed entries.
    static std::optional<QList<DictationEntry>> decode(const QByteArray& document);
    static QByteArray encode(const QList<DictationEntry>& entries);
    // Later timestamps first; equal timestamps keep their order.
    static void sortNewestFirst(QList<DictationEntry>& entries);
    // The new entry in front, then at most `limit` in all.
    static QList<DictationEntry> adding(QList<DictationEntry> entries, const DictationEntry& entry);
};
