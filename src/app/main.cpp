#include "app/CommandLine.h"
#include "app/QuilloApp.h"
#include "app/SessionPlatform.h"
#include "app/SingleInstance.h"
#include "base/Log.h"
#include "base/ProcessExit.h"
#include "models/AppSettings.h"
#include "models/SecretCache.h"
#include "platform/desktop/KeychainSecretStore.h"
#include "platform/desktop/SqliteDefaultsStore.h"
#include "platform/whisper/WhisperCppSpeechEngine.h"
#include "views/Translations.h"

#include <QApplication>

#include <memory>

namespace {

// The application and every object of ours live in here, so all of them are gone on return.
int runApplication(int argc, char* argv[]) {
    // In a Wayland session with XWayland our windows are X11 ones: only there can the overlay
    // float above other windows without taking the focus.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QByteArray platform = SessionPlatform::qtPlatformFor(SessionEnvironment::current());
        if (!platform.isEmpty())
            qputenv("QT_QPA_PLATFORM", platform);
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

    // The keys and the restore token come from the keyring once, before anything reads them;
    // the event loop runs meanwhile, so a keyring that asks to be unlocked can be answered.
    KeychainSecretStore keyring;
    SecretCache secrets(store, keyring, AppSettings::secretKeys());
    AppSettings::shared().useSecrets(secrets);
    std::unique_ptr<QuilloApp> quillo;
    QObject::connect(&secrets, &SecretCache::loaded, &secrets, [&] {
        quillo = std::make_unique<QuilloApp>(store);
        QObject::connect(&instance, &SingleInstance::activationRequested, quillo.get(),
                         &QuilloApp::reopen);
        QObject::connect(&instance, &SingleInstance::hotkeyPressRequested, quillo.get(),
                         &QuilloApp::hotkeyPressRequested);
        QObject::connect(&instance, &SingleInstance::hotkeyReleaseRequested, quillo.get(),
                         &QuilloApp::hotkeyReleaseRequested);
        quillo->start();
    });
    secrets.load();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    WhisperCppSpeechEngine::disableCrashDebugger();
    if (const auto command = CommandLine::hotkeyCommand(argc, argv)) {
        const bool pressed = *command == CommandLine::HotkeyCommand::press;
        if (SingleInstance::sendHotkeyEvent(SingleInstance::defaultSocketPath(), pressed))
            return 0;
        QTextStream(stderr) << "quillo: no running Quillo to hand the hotkey to\n";
        return 1;
    }
    {
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const std::optional<int> exitCode = CommandLine::handle(argc, argv, out, err)) {
            return *exitCode;
        }
    }
    ProcessExit::skippingStaticTeardown(runApplication(argc, argv));
}
