#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// Every id the code looks up with qtTrId("..."), with the file it was found in.
QMap<QString, QString> idsUsedUnder(const QString& root) {
    static const QRegularExpression lookup(QStringLiteral(R"(qtTrId\(\s*"([^"]+)\")"));
    QMap<QString, QString> ids;
    QDirIterator files(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& match : lookup.globalMatch(text)) {
            ids.insert(match.captured(1), path);
        }
    }
    return ids;
}

// The ids of a catalogue whose translation is present and not empty.
QSet<QString> translatedIds(const QString& tsPath) {
    QSet<QString> ids;
    QFile file(tsPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return ids;
    }
    QXmlStreamReader xml(&file);
    QString currentId;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("message")) {
            currentId = xml.attributes().value(QLatin1String("id")).toString();
        } else if (xml.name() == QLatin1String("translation")) {
            const bool unfinished =
                xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            const QString text = xml.readElementText();
            if (!currentId.isEmpty() && !unfinished && !text.trimmed().isEmpty()) {
                ids.insert(currentId);
            }
        }
    }
    return ids;
}

QStringList idsWithoutText(const QMap<QString, QString>& used, const QSet<QString>& translated) {
    QStringList missing;
    for (auto it = used.cbegin(); it != used.cend(); ++it) {
        if (!translated.contains(it.key())) {
            missing << QStringLiteral("%1 (%2)").arg(it.key(), it.value());
        }
    }
    return missing;
}

const QString catalogueDir = QStringLiteral(QUILLO_SOURCE_DIR "/resources/translations");

TEST(TranslationsCatalogTest, EveryIdUsedInTheCodeHasEnglishAndGermanText) {
    const QMap<QString, QString> used = idsUsedUnder(QStringLiteral(QUILLO_SOURCE_DIR "/src"));
    ASSERT_TRUE(used.contains(QStringLiteral("mode.email")));  // the scan does find lookups
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("de")}) {
        const QSet<QString> translated =
            translatedIds(catalogueDir + QStringLiteral("/quillo_%1.ts").arg(language));
        ASSERT_FALSE(translated.isEmpty()) << language.toStdString();
        EXPECT_EQ(idsWithoutText(used, translated), QStringList())
            << "no " << language.toStdString() << " text for these ids";
    }
}

}  // namespace
