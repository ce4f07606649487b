#include "views/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTranslator>

namespace {

QString catalogPath(const QString& language) {
    return QStringLiteral(":/i18n/quillo_%1.qm").arg(language);
}

QPointer<QTranslator>& installedTranslator() {
    static QPointer<QTranslator> translator;
    return translator;
}

}  // namespace

QString Translations::resolve(const QString& appLanguage, const QLocale& systemLocale) {
    QString language = appLanguage.trimmed();
    if (language.isEmpty() || language == QLatin1String("system")) {
        // "de_AT" and "de" both load the German texts.
        language = systemLocale.name().section(QLatin1Char('_'), 0, 0);
    }
    return isAvailable(language) ? language : QStringLiteral("en");
}

bool Translations::isAvailable(const QString& language) {
    return !language.isEmpty() && QFile::exists(catalogPath(language));
}

QString Translations::install(const QString& appLanguage, const QLocale& systemLocale) {
    uninstall();
    const QString language = resolve(appLanguage, systemLocale);
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(catalogPath(language))) {
        delete translator;
        return {};
    }
    QCoreApplication::installTranslator(translator);
    installedTranslator() = translator;
    return language;
}

void Translations::uninstall() {
    if (QTranslator* translator = installedTranslator()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}
