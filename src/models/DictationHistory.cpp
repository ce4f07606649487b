#include "models/DictationHistory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

// A JSON number that is a whole number within the range a double holds exactly.
std::optional<qint64> integerValue(const QJsonValue& value) {
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double d = value.toDouble();
    if (std::trunc(d) != d || std::fabs(d) > 9007199254740992.0) {
        return std::nullopt;
    }
    return static_cast<qint64>(d);
}

std::optional<DictationEntry> decodeEntry(const QJsonValue& value) {
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    const QJsonValue text = object.value(QLatin1String("text"));
    const QJsonValue timestamp = object.value(QLatin1String("timestamp"));
    const QJsonValue mode = object.value(QLatin1String("mode"));
    const auto wordCount = integerValue(object.value(QLatin1String("wordCount")));
    if (!text.isString() || !timestamp.isDouble() || !mode.isString() || !wordCount) {
        return std::nullopt;
    }
    return DictationEntry{text.toString(), timestamp.toDouble(), *wordCount, mode.toString()};
}

}  // namespace

std::optional<QList<DictationEntry>> DictationHistory::decode(const QByteArray& document) {
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError || !json.isArray()) {
        return std::nullopt;
    }
    QList<DictationEntry> entries;
    const QJsonArray array = json.array();
    entries.reserve(array.size());
    for (const QJsonValue& element : array) {
        auto entry = decodeEntry(element);
        if (!entry) {
            return std::nullopt;
        }
        entries.append(std::move(*entry));
    }
    return entries;
}

QByteArray DictationHistory::encode(const QList<DictationEntry>& entries) {
    QJsonArray array;
    for (const DictationEntry& entry : entries) {
        array.append(QJsonObject{{QStringLiteral("text"), entry.text},
                                 {QStringLiteral("timestamp"), entry.timestamp},
                                 {QStringLiteral("wordCount"), entry.wordCount},
                                 {QStringLiteral("mode"), entry.mode}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

void DictationHistory::sortNewestFirst(QList<DictationEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const DictationEntry& a, const DictationEntry& b) {
                         return a.timestamp > b.timestamp;
                     });
}

QList<DictationEntry> DictationHistory::adding(QList<DictationEntry> entries,
                                               const DictationEntry& entry) {
    entries.prepend(entry);
    if (entries.size() > limit) {
        entries.resize(limit);
    }
    return entries;
}
