#include "models/WordLists.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

std::optional<QJsonArray> arrayOf(const QByteArray& document) {
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(document, &error);
    if (error.error != QJsonParseError::NoError || !parsed.isArray())
        return std::nullopt;
    return parsed.array();
}

QByteArray compact(const QJsonArray& array) {
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

}  // namespace

std::optional<QStringList> WordLists::decodeVocabulary(const QByteArray& document) {
    const auto array = arrayOf(document);
    if (!array)
        return std::nullopt;
    QStringList words;
    for (const QJsonValue& value : *array) {
        if (!value.isString())
            return std::nullopt;
        words.append(value.toString());
    }
    return words;
}

QByteArray WordLists::encodeVocabulary(const QStringList& words) {
    return compact(QJsonArray::fromStringList(words));
}

std::optional<QList<Replacement>> WordLists::decodeReplacements(const QByteArray& document) {
    const auto array = arrayOf(document);
    if (!array)
        return std::nullopt;
    QList<Replacement> replacements;
    for (const QJsonValue& value : *array) {
        const QJsonObject object = value.toObject();
        const QJsonValue heard = object.value(QStringLiteral("heard"));
        const QJsonValue written = object.value(QStringLiteral("written"));
        if (!value.isObject() || !heard.isString() || !written.isString())
            return std::nullopt;
        replacements.append({heard.toString(), written.toString()});
    }
    return replacements;
}

QByteArray WordLists::encodeReplacements(const QList<Replacement>& replacements) {
    QJsonArray array;
    for (const Replacement& r : replacements) {
        array.append(QJsonObject{{QStringLiteral("heard"), r.heard},
                                 {QStringLiteral("written"), r.written}});
    }
    return compact(array);
}
