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
    switch (instance.claim()) {
        case SingleInstance::Claim::primary:
            break;
        case SingleInstance::Claim::handedOver:
            Log::line(QStringLiteral(
                "[Quillo] Quillo is already running; asked it to open its settings window"));
            return 0;
        case SingleInstance::Claim::noAnswer:
            Log::line(QStringLiteral("[Quillo] Another Quillo holds %1 but does not answer; "
                                     "not starting a second one")
                          .arg(instance.lockPath()));
            return 1;
    }
    // Listening at once lets a start in the next few milliseconds hand over instead of waiting.
    if (!instance.listen()) {
        Log::line(QStringLiteral("[Quillo] Could not listen for later starts at %1")
                      .arg(SingleInstance::defaultSocketPath()));
    }

    SqliteDefaultsStore store;
    AppSettings::installSharedStore(store);
    // The interface language is read once: a new choice applies from the next launch.
    Translations::install(AppSettings::shared().appLanguage());

    QuilloApp quillo(store);
    QObject::connect(&instance, &SingleInstance::activationRequested, &quillo, &QuilloApp::reopen);
    quillo.start();
    return QApplication::exec();
}
