#include "models/AppSettings.h"
#include "platform/Log.h"
#include "platform/linux/SqliteDefaultsStore.h"
#include "views/Translations.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo"));
    QApplication::setQuitOnLastWindowClosed(false);

    SqliteDefaultsStore store;
    AppSettings::installSharedStore(store);
    // The interface language is read once: a new choice applies from the next launch.
    Translations::install(AppSettings::shared().appLanguage());
    Log::line(QStringLiteral("[Quillo] Preferences store: %1").arg(store.path()));
    return QApplication::exec();
}
