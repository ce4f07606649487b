#include "support/GnomeTestSession.h"

#include "support/ChildProcess.h"
#include "support/EventLoop.h"
#include "support/MutterRemoteKeyboard.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>

#include <csignal>

#include <signal.h>

namespace {

QString logDir() {
    return qEnvironmentVariable("QUILLO_TEST_GNOME_LOGS");
}

QByteArray readFrom(const GnomeTestSession::LogMark& mark) {
    QFile file(mark.file);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(mark.offset))
        return {};
    return file.readAll();
}

}  // namespace

bool GnomeTestSession::isRunning() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return !qEnvironmentVariableIsEmpty("QUILLO_TEST_GNOME_SHELL") && bus.isConnected() &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.gnome.Shell")).value();
}

GnomeTestSession::LogMark GnomeTestSession::markLog(const QString& name) {
    const QString path = QDir(logDir()).filePath(name);
    return {path, QFile(path).size()};
}

GnomeTestSession::Grab GnomeTestSession::waitForCustomGrab(const LogMark& mark,
                                                           const QString& entryPath,
                                                           std::chrono::milliseconds timeout) {
    // gsd-media-keys (43) names the entry when it takes it up, then asks the shell for every
    // grab at once and says when the call came back; a refused one is named with its path.
    const QByteArray added = "Adding new custom key binding " + entryPath.toUtf8();
    const QByteArray refused = "Failed to grab accelerator for keybinding custom:";
    Grab outcome = Grab::timedOut;
    waitUntil(
        [&] {
            const QByteArray text = readFrom(mark);
            const qsizetype at = text.indexOf(added);
            if (at < 0)
                return false;
            const QByteArray after = text.mid(at);
            if (after.contains(refused)) {
                outcome = Grab::refused;
                return true;
            }
            if (after.contains("Grab call completed")) {
                outcome = Grab::grabbed;
                return true;
            }
            return false;
        },
        timeout);
    if (outcome == Grab::grabbed) {
        // The refusal comes right after the completed call: a moment more tells them apart.
        runEventLoopFor(std::chrono::milliseconds(50));
        if (readFrom(mark).contains(refused))
            outcome = Grab::refused;
    }
    return outcome;
}

QString GnomeTestSession::gsettingsGet(const QStringList& arguments) {
    const ChildProcess::Result result = ChildProcess::run(
        QStringLiteral("gsettings"), QStringList{QStringLiteral("get")} + arguments);
    if (!result.finished || result.exitCode != 0)
        return {};
    return QString::fromUtf8(result.out).trimmed();
}

QString GnomeTestSession::dconfDump(const QString& dir) {
    const ChildProcess::Result result =
        ChildProcess::run(QStringLiteral("dconf"), {QStringLiteral("dump"), dir});
    return result.finished && result.exitCode == 0 ? QString::fromUtf8(result.out) : QString();
}

bool GnomeTestSession::offerKdeGlobalShortcuts() {
    const QString folder = qEnvironmentVariable("QUILLO_TEST_GNOME_PORTALS");
    const QString kde = QStringLiteral("/usr/share/xdg-desktop-portal/portals/kde.portal");
    if (folder.isEmpty() || !QFile::exists(kde))
        return false;
    const QString copy = QDir(folder).filePath(QStringLiteral("kde.portal"));
    if (!QFile::exists(copy) && !QFile::copy(kde, copy))
        return false;
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    const QString frontend = QStringLiteral("org.freedesktop.portal.Desktop");
    const QDBusReply<uint> pid = bus->servicePid(frontend);
    if (!pid.isValid() || pid.value() == 0 || ::kill(pid_t(pid.value()), SIGKILL) != 0)
        return false;
    return waitUntil([&] { return !bus->isServiceRegistered(frontend).value(); },
                     std::chrono::seconds(5));
}

void GnomeTestSession::answerRemoteDesktopConsent(MutterRemoteKeyboard& keyboard) {
    runEventLoopFor(std::chrono::milliseconds(2500));  // the dialog opens and takes the focus
    for (const quint32 key :
         {0x20u /* space */, 0xff09u /* Tab */, 0xff09u, 0xff09u, 0xff0du /* Return */}) {
        keyboard.tap(key);
        runEventLoopFor(std::chrono::milliseconds(60));
    }
}
