#include "models/DictationEntry.h"

#include <cmath>

double DictationEntry::timestampFrom(const QDateTime& date) {
    return static_cast<double>(date.toMSecsSinceEpoch() - referenceDateUnixSeconds * 1000) / 1000.0;
}

QDateTime DictationEntry::date() const {
    const double ms = std::round(timestamp * 1000.0);
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ms) + referenceDateUnixSeconds * 1000,
                                          Qt::UTC);
}

qint64 DictationEntry::countWords(const QString& text) {
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
}
