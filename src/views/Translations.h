#pragma once

#include <QLocale>
#include <QString>

// The interface language. Texts are looked up by id (qtTrId), so a translator is always
// installed, English included; without one the user would see the ids.
class Translations {
public:
    Translations() = delete;

    // The language to load for the stored "app_language" value: "system" (or nothing) stands
    // for the system locale's language; a language without a translation falls back to "en".
    static QString resolve(const QString& appLanguage,
                           const QLocale& systemLocale = QLocale::system());
    static bool isAvailable(const QString& language);
    // Replaces the installed translator with the one `resolve` picks; returns its language.
    static QString install(const QString& appLanguage,
                           const QLocale& systemLocale = QLocale::system());
    static void uninstall();
};
