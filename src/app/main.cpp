#include "app/CommandLine.h"
#include "app/QuilloApp.h"
#include "app/SingleInstance.h"
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
    QApplication::setDesktopFileName(QStringLiteral("app.quillo.Quillo"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance;
    if (instance.handOverToRunningInstance()) {
        Log::line(QStringLiteral(
            "[Quillo] Quillo is already running; asked it to open its settings window"));
        return 0;
    }

    SqliteDefaultsStore store;
    AppSettings::installSharedStore(store);
    // The interface language is read once: a new choice applies from the next launch.
    Translations::install(AppSettings::shared().appLanguage());

    QuilloApp quillo(store);
    if (!instance.listen()) {
        Log::line(QStringLiteral("[Quillo] Could not listen for later starts at %1")
                      .arg(SingleInstance::defaultSocketPath()));
    }
    QObject::connect(&instance, &SingleInstance::activationRequested, &quillo, &QuilloApp::reopen);
    quillo.start();
    return QApplication::exec();
}
