#include "app/CommandLine.h"
#include "models/AppSettings.h"
#include "platform/Log.h"
#include "platform/linux/SqliteDefaultsStore.h"
#include "views/Translations.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    {
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const std::optional<int> exitCode = CommandLine::handle(argc, argv, out, err)) {
            return *exitCode;
        }
    }
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
